// Quorvel --run: a keyboard shortcut of the desktop runs an item of the running palette
// (or undoes its last run) through the palette's single-instance channel.
#pragma once

#include <QStringList>

class SingleInstance;

namespace PaletteRemote {

// The calling side: sends the request, waits for the palette's answer and returns the
// exit status.
int RunClient(const QStringList &arguments);

// The palette's side: answers the calls that reach instance.
void Serve(SingleInstance &instance);

} // namespace PaletteRemote
