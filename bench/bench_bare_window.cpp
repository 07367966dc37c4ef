// The yardstick of bench_palette: one empty QMainWindow of the given client size.
// Usage: bench_bare_window WIDTH HEIGHT
#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int width = arguments.size() > 2 ? arguments.at(1).toInt() : 184;
    const int height = arguments.size() > 2 ? arguments.at(2).toInt() : 128;
    QMainWindow window;
    window.resize(width, height);
    window.show();
    return QApplication::exec();
}
