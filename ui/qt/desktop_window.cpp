// The desktop window services on Linux are the Qt ones.
#include "ui/desktop_window.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QString>

#include "ui/qt/qt_window.h"

namespace {

// The window's icon: the one installed in the icon theme, else the same
// picture built into the program (a build-tree program, an icon theme
// without it). On Wayland the compositor finds it through the desktop
// entry, which the desktop file name names.
void show_as_telvor() {
    QGuiApplication::setDesktopFileName(QStringLiteral("telvor"));
    QIcon built_in;
    const QDir sizes(QStringLiteral(":/telvor"));  // one folder per size, as in the theme
    for (const QString& size : sizes.entryList(QDir::Dirs))
        built_in.addFile(sizes.filePath(size + QStringLiteral("/telvor.png")));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("telvor"), built_in));
}

}  // namespace

WindowServices* desktop_window_services_create(int argc, char** argv) {
    WindowServices* services = qt_window_services_create(argc, argv);
    show_as_telvor();  // once Qt runs, so that the icon theme is known
    return services;
}

void desktop_window_services_destroy(WindowServices* services) {
    qt_window_services_destroy(services);
}
