#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Pairwick"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Pairwick"));
    window.resize(760, 572);
    window.show();
    return QApplication::exec();
}
