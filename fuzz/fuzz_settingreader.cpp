// The setting reader and the model on arbitrary file content: loading and walking every
// frame and item ends in bounded time and memory, and comment removal in one pass gives
// what removing the blocks round by round gives.
#include "CommentRemovalReference.h"
#include "FuzzCheck.h"
#include "cp932_codec.h"
#include "setting_model.h"
#include "tag_document.h"
#include "text_file.h"

#include <QDir>

#include <fcntl.h>
#include <unistd.h>

namespace {

// One folder for the whole run, in memory when the system offers it.
const QString &folder()
{
    static const QString path = [] {
        QByteArray pattern = QDir(u"/dev/shm"_qs).exists() ? "/dev/shm/quorvel-fuzz-XXXXXX"
                                                           : "/tmp/quorvel-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        std::atexit([] { QDir(folder()).removeRecursively(); });
        return QString::fromLocal8Bit(pattern);
    }();
    return path;
}

void writeFile(const QString &path, const uint8_t *data, size_t size)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || ::write(fd, data, size) != ssize_t(size) || ::close(fd) != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = TextFile::normaliseLineEnds(Cp932Codec::decode(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size))));
    // The reference is quadratic: small texts only, which is where nesting and joins vary.
    if (text.size() <= 1024 && Cls_XML::RemoveComments(text) != removeCommentsByRounds(text))
        fuzzFail("comment removal in one pass", text);

    writeFile(folder() + u"/Fuzz.xml"_qs, data, size);
    Cls_MySettingFile model;
    model.Path(folder());
    model.Name(u"Fuzz.xml"_qs);
    if (!model.LoadFile())
        fuzzFail("a readable file loads", model.LastError().description);
    if (model.GetCount() != model.FrameNumbers().size() || model.GetCount() > 99)
        fuzzFail("frame count");
    (void)model.GetTitle();
    (void)model.GetFontSize();
    (void)model.GetItemHeight();
    (void)model.GetPositioningLeft();
    (void)model.IsTopMost();
    (void)model.Color().GetFileItem_str(u"FrameBackColor"_qs);
    // A few frames and items cover the code; all 99 x 20 only repeat it on crafted files.
    for (int frame = 0; frame < std::min(model.GetCount(), 8); ++frame) {
        model.CurrentFrame(frame);
        (void)model.GetFrameTitle();
        (void)model.GetFont();
        (void)model.GetLineCount();
        for (int item = 0; item < 8; ++item) {
            if (!model.SetDataPrepare(item))
                continue;
            (void)model.GetName();
            (void)model.isReg();
            (void)model.isData();
            (void)model.GetLink();
        }
    }
    // What the model holds writes back as a document without failing.
    model.SetTitle(model.GetTitle());
    const QString saved = model.Common().GetItemAll_str(QString());
    if (!saved.isEmpty() && !saved.endsWith(u"\r\n"_qs))
        fuzzFail("composed document", saved);
    return 0;
}
