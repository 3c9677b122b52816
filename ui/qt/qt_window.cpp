// The desktop window services on Qt 6 Widgets: the main window with its
// list views and frames, the question box, the open-file dialog, the
// clipboard and the wait for the Close event.
//
// Between window_open and the final wait the run takes no window events:
// the window is shown at once but first drawn when a modal dialog runs the
// event loop. The list operations therefore never process events; only
// the clipboard does: its read on Wayland waits for the focus, and its clear
// (just before the final wait) lets pending events through so that the
// request goes out. Neither takes user input. On X11 the clipboard is read
// and cleared over a connection of its own (ui/qt/x11_clipboard.h).
#include "ui/qt/qt_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/open_dialog.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/x11_clipboard.h"


namespace {

using Clock = std::chrono::steady_clock;

// How long the clipboard read waits for the main window to get the keyboard
// focus where the window system hands the clipboard only to focused clients.
constexpr int CLIPBOARD_FOCUS_WAIT_MS = 1000;
// Qt gives up on a clipboard owner that does not answer and hands over no
// text; a read that took this long and gave nothing met such an owner.
constexpr auto SILENT_OWNER_SIGN = std::chrono::milliseconds(500);

// ---------------------------------------------------------------------------
// Qt's diagnostics while the window system starts. The platforms are tried
// in turn; the warnings of one that fails are dropped when a later one
// works, and everything Qt says is dropped when there is no display at all
// (the run reports that itself, in one line).

std::vector<QString>* held_messages = nullptr;
bool messages_silenced = false;
QtMessageHandler previous_handler = nullptr;

void message_handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (held_messages != nullptr) {
        held_messages->push_back(qFormatLogMessage(type, context, message));
        return;
    }
    if (messages_silenced) return;
    if (previous_handler != nullptr) {
        previous_handler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qUtf8Printable(qFormatLogMessage(type, context, message)));
    }
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

// The names in a platform list such as "wayland;xcb:option".
std::vector<std::string> platform_names(const std::string& list) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos) end = list.size();
        std::string entry = list.substr(start, end - start);
        entry = entry.substr(0, entry.find(':'));
        if (!entry.empty()) names.push_back(entry);
        start = end + 1;
    }
    return names;
}

bool is_headless_platform(const std::string& name) {
    return name == "offscreen" || name == "minimal";
}

// Splits on "|": description, pattern, description, pattern, ...
std::vector<Text> split_pattern(const Text& pattern) {
    std::vector<Text> parts;
    std::size_t start = 0;
    while (start < pattern.size()) {
        std::size_t end = pattern.find('|', start);
        if (end == Text::npos) end = pattern.size();
        parts.push_back(pattern.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// One entry of the file-type box as Qt wants it: the description followed
// by its patterns in parentheses, unless the description already ends so.
QString name_filter(const Text& description, const Text& patterns) {
    QString wanted = qt_text_from_cp1252(patterns);
    wanted.replace(QLatin1Char(';'), QLatin1Char(' '));
    const QString shown = qt_text_from_cp1252(description);
    if (shown.trimmed().endsWith(QLatin1Char('(') + wanted + QLatin1Char(')'))) return shown;
    return shown + QStringLiteral(" (") + wanted + QLatin1Char(')');
}

// ---------------------------------------------------------------------------
// Widgets.

// The main window: a close request only reports itself, and none is taken
// while a dialog (the question, the open-file dialog) is open. On X11 Qt
// keeps such requests from a window a modal dialog blocks; on Wayland the
// compositor's close reaches the window all the same.
class MainWindow final : public QWidget {
public:
    MainWindow(std::function<void()> on_close_request, std::function<void()> on_move)
        : on_close_request_(std::move(on_close_request)), on_move_(std::move(on_move)) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        if (QApplication::activeModalWidget() == nullptr) on_close_request_();
    }
    void moveEvent(QMoveEvent* event) override {
        QWidget::moveEvent(event);
        on_move_();
    }

private:
    std::function<void()> on_close_request_;
    std::function<void()> on_move_;
};

// A list view that never scrolls sideways: lines wider than the view are
// cut at its right edge.
class LineList final : public QListWidget {
public:
    explicit LineList(QWidget* parent) : QListWidget(parent) {
        setSelectionMode(QAbstractItemView::SingleSelection);
        setSortingEnabled(false);
        setUniformItemSizes(true);
        setWordWrap(false);
        setTextElideMode(Qt::ElideNone);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void updateGeometries() override {
        QListWidget::updateGeometries();
        horizontalScrollBar()->setRange(0, 0);
    }
};

// A message box whose title and text Ctrl+C copies, as a Windows message
// box does.
class MessageBox final : public QMessageBox {
public:
    explicit MessageBox(QWidget* parent) : QMessageBox(parent) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Copy)) {
            QGuiApplication::clipboard()->setText(windowTitle() + QLatin1Char('\n') + text());
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
};

// Qt's own file dialog; the folder of the chosen path must exist.
class OpenFileDialog final : public QFileDialog {
public:
    OpenFileDialog(QWidget* parent, const QString& title) : QFileDialog(parent, title) {}

protected:
    void accept() override {
        const QStringList files = selectedFiles();
        if (!files.isEmpty()) {
            const QFileInfo chosen(files.first());
            if (!chosen.isDir() && !QFileInfo(chosen.absolutePath()).isDir()) {
                QMessageBox::warning(this, windowTitle(),
                                     qt_text_from_cp1252(translate("The folder does not exist:")) +
                                         QLatin1Char('\n') + QDir::toNativeSeparators(chosen.absolutePath()));
                return;
            }
        }
        QFileDialog::accept();
    }
};

// ---------------------------------------------------------------------------

class QtWindowServices final : public WindowServices {
public:
    QtWindowServices(int argc, char** argv);
    ~QtWindowServices() override;
    QtWindowServices(const QtWindowServices&) = delete;
    QtWindowServices& operator=(const QtWindowServices&) = delete;

    TELVOR_WINDOW_SERVICES_OVERRIDES;

private:
    void start_window_system();
    void load_qt_translations();
    bool on_x11() const;
    bool focus_gives_clipboard() const;
    void close_window();
    void remove_gadget(int number);
    void place_gadget(int number, QWidget* gadget, const QRect& where);
    LineList* find_list(int number);
    void place_centred();
    void window_moved();
    void request_close();
    QWidget* dialog_owner() const;
    bool wait_for_focus(int milliseconds);

    // Qt keeps a reference to the argument count for the application's life.
    int qt_argc_ = 1;
    std::string program_name_;
    std::vector<char*> qt_argv_;
    std::unique_ptr<QApplication> application_;
    std::unique_ptr<QTranslator> qt_translator_;

    bool have_display_ = false;
    Text no_display_reason_;
    Text failure_reason_;

    MainWindow* window_ = nullptr;
    QSize client_size_;
    bool centre_ = false;
    QMargins centred_with_;  // frame margins the last centring assumed

    std::map<int, QWidget*> gadgets_;  // list views and frames by number

    // A close request waiting to be taken by window_wait_event; a second one
    // meanwhile is not queued again.
    bool close_requested_ = false;

    // The X11 server time of the last clipboard read: the clear takes away
    // nothing copied after it.
    std::uint32_t clipboard_read_time_ = 0;
};

QtWindowServices::QtWindowServices(int argc, char** argv) {
    // Qt reads no options from the command line: every argument is the
    // run's own.
    program_name_ = (argc > 0 && argv != nullptr && argv[0] != nullptr) ? argv[0] : "telvor";
    qt_argv_ = {program_name_.data(), nullptr};
    start_window_system();
    if (have_display_) {
        load_qt_translations();
    }
}

// Qt's own texts (the question's buttons, the file dialog) in the language
// of the desktop, where Qt's translations for it are installed; the
// program's own texts stay as they are. Without them Qt speaks English.
void QtWindowServices::load_qt_translations() {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return;
    }
    QCoreApplication::installTranslator(translator.get());
    qt_translator_ = std::move(translator);
}

// German where the desktop's first language that the program's messages
// have, English included, is German.
bool QtWindowServices::prefers_german() {
    for (const QString& language : QLocale().uiLanguages()) {
        if (language.startsWith(QLatin1String("en"))) return false;
        if (language.startsWith(QLatin1String("de"))) return true;
    }
    return false;
}

// Starts Qt on the window system of the session. Where none can be reached
// Qt would end the process; a headless platform is named last so that it
// starts instead, and the services then act as having no display.
void QtWindowServices::start_window_system() {
    std::string requested = environment("QT_QPA_PLATFORM");
    const bool user_choice = !requested.empty();
    if (!user_choice) {
        requested = environment("XDG_SESSION_TYPE") == "wayland" ? "wayland;xcb" : "xcb";
    }
    const std::vector<std::string> wanted = platform_names(requested);
    ::setenv("QT_QPA_PLATFORM", (requested + ";offscreen;minimal").c_str(), 1);

    std::vector<QString> messages;
    held_messages = &messages;
    previous_handler = qInstallMessageHandler(message_handler);
    application_ = std::make_unique<QApplication>(qt_argc_, qt_argv_.data());
    held_messages = nullptr;

    if (user_choice) {
        ::setenv("QT_QPA_PLATFORM", requested.c_str(), 1);
    } else {
        ::unsetenv("QT_QPA_PLATFORM");
    }

    const std::string platform = QGuiApplication::platformName().toStdString();
    bool asked_for = false;
    for (const std::string& name : wanted) asked_for = asked_for || name == platform;
    have_display_ = !(is_headless_platform(platform) && !asked_for);

    if (have_display_) {
        // Warnings of a platform tried first and given up are noise now.
        if (platform == (wanted.empty() ? std::string() : wanted.front())) {
            for (const QString& message : messages) {
                std::fprintf(stderr, "%s\n", qUtf8Printable(message));
            }
        }
        return;
    }

    messages_silenced = true;
    const std::string display = environment("DISPLAY");
    const std::string wayland = environment("WAYLAND_DISPLAY");
    if (user_choice) {
        no_display_reason_ = "the window system \"" + requested + "\" is not available";
    } else if (display.empty() && wayland.empty()) {
        no_display_reason_ = "no display (DISPLAY is not set)";
    } else if (!display.empty()) {
        no_display_reason_ = "cannot connect to the display \"" + display + "\"";
    } else {
        no_display_reason_ = "cannot connect to the display \"" + wayland + "\"";
    }
}

QtWindowServices::~QtWindowServices() {
    close_window();
    qt_translator_.reset();
    if (application_ != nullptr && QGuiApplication::platformName().startsWith(QStringLiteral("wayland"))) {
        // Qt's Wayland client can hang for good while it stops its event
        // threads (a read it prepared for one of them is never cancelled when
        // the stop comes first). The requests made so far go out now; the
        // connection and those threads end with the process, which ends next.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        static_cast<void>(application_.release());
    }
    application_.reset();
    qInstallMessageHandler(previous_handler);
    previous_handler = nullptr;
    messages_silenced = false;
}

void QtWindowServices::close_window() {
    gadgets_.clear();
    delete window_;
    window_ = nullptr;
    close_requested_ = false;
}

Text QtWindowServices::window_failure_reason() { return failure_reason_; }

// There is one main window, whatever its number; opening again replaces it.
int QtWindowServices::window_open(int /*number*/, int x, int y, int width, int height,
                                  const Text& title, unsigned flags) {
    failure_reason_.clear();
    if (!have_display_) {
        failure_reason_ = no_display_reason_;
        return 0;
    }
    close_window();

    window_ = new MainWindow([this] { request_close(); }, [this] { window_moved(); });
    client_size_ = QSize(width, height);

    Qt::WindowFlags window_flags = Qt::Window | Qt::CustomizeWindowHint;
    if ((flags & WINDOW_FLAG_CAPTION) == WINDOW_FLAG_CAPTION) window_flags |= Qt::WindowTitleHint;
    if (flags & WINDOW_FLAG_SYSMENU) {
        window_flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    if (flags & WINDOW_FLAG_MINIMIZEBOX) window_flags |= Qt::WindowMinimizeButtonHint;
    window_->setWindowFlags(window_flags);
    window_->setWindowTitle(qt_text_from_cp1252(title));
    window_->setFixedSize(client_size_);  // never resizable, never maximised

    centre_ = (flags & WINDOW_FLAG_CENTRE) != 0;
    if (centre_) {
        place_centred();
    } else {
        window_->move(x, y);
    }
    window_->show();
    return 1;
}

// Puts the whole window, frame included, in the middle of the screen. The
// window manager adds its frame only once the window is shown; until the
// frame's size is known the window is centred as if it had none, and it is
// centred again as soon as the frame appears.
void QtWindowServices::place_centred() {
    const QScreen* screen = window_->screen() != nullptr ? window_->screen()
                                                        : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    const QWindow* handle = window_->windowHandle();
    const QMargins margins = handle != nullptr ? handle->frameMargins() : QMargins();
    const int outer_width = std::min(client_size_.width() + margins.left() + margins.right(),
                                     area.width());
    const int outer_height = std::min(client_size_.height() + margins.top() + margins.bottom(),
                                      area.height());
    centred_with_ = margins;
    window_->move(area.x() + (area.width() - outer_width) / 2,
                  area.y() + (area.height() - outer_height) / 2);
}

void QtWindowServices::window_moved() {
    if (!centre_ || window_ == nullptr || window_->windowHandle() == nullptr) return;
    const QMargins margins = window_->windowHandle()->frameMargins();
    if (margins == centred_with_) return;
    place_centred();
    // Centred with the real frame: from now on the window stays where the
    // user puts it.
    if (!margins.isNull()) centre_ = false;
}

void QtWindowServices::request_close() {
    // A close request still waiting to be taken is not queued twice.
    close_requested_ = true;
}

// A number names one gadget, list or frame; a new one takes its place.
void QtWindowServices::remove_gadget(int number) {
    const auto found = gadgets_.find(number);
    if (found == gadgets_.end()) return;
    delete found->second;
    gadgets_.erase(found);
}

LineList* QtWindowServices::find_list(int number) {
    const auto found = gadgets_.find(number);
    return found != gadgets_.end() ? dynamic_cast<LineList*>(found->second) : nullptr;
}

// Puts a gadget made for the window in place of the one of that number.
void QtWindowServices::place_gadget(int number, QWidget* gadget, const QRect& where) {
    remove_gadget(number);
    gadget->setGeometry(where);
    gadget->show();
    gadgets_[number] = gadget;
}

int QtWindowServices::list_create(int number, int x, int y, int width, int height) {
    if (window_ == nullptr) return 0;
    place_gadget(number, new LineList(window_), QRect(x, y, width, height));
    return 1;
}

int QtWindowServices::frame_create(int number, int x, int y, int width, int height,
                                   const Text& caption) {
    if (window_ == nullptr) return 0;
    auto* frame = new QGroupBox(qt_text_from_cp1252(caption), window_);
    frame->setFocusPolicy(Qt::NoFocus);
    // A frame has no behaviour: it lies beneath the lists it surrounds, so
    // it neither covers them nor takes their clicks.
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    place_gadget(number, frame, QRect(x, y, width, height));
    frame->lower();
    return 1;
}

int QtWindowServices::list_add_line(int number, int position, std::string_view text) {
    LineList* view = find_list(number);
    if (view == nullptr) return 0;
    view->insertItem(position, qt_text_from_cp1252(text));
    return 1;
}

void QtWindowServices::list_set_selection(int number, int line) {
    LineList* view = find_list(number);
    if (view == nullptr) return;
    if (line < 0) {
        // No selection; the list stays where it is scrolled to.
        view->clearSelection();
        view->setCurrentIndex(QModelIndex());
        return;
    }
    QListWidgetItem* item = view->item(line);
    view->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    view->scrollToItem(item, QAbstractItemView::EnsureVisible);
}

void QtWindowServices::list_set_line(int number, int line, std::string_view text) {
    if (LineList* view = find_list(number)) view->item(line)->setText(qt_text_from_cp1252(text));
}

void QtWindowServices::list_clear(int number) {
    if (LineList* view = find_list(number)) view->clear();
}

// The main window owns a dialog while it is on screen (not minimised).
QWidget* QtWindowServices::dialog_owner() const {
    if (window_ != nullptr && window_->isVisible() && !window_->isMinimized()) return window_;
    return nullptr;
}

// A message box with the buttons of flags (Yes, No and Cancel, or OK alone)
// and the stop icon when flags ask for it; the first button is the default.
int QtWindowServices::message_box(const Text& title, const Text& text, int flags) {
    if (!have_display_) return ANSWER_CANCEL;

    QString message = qt_text_from_cp1252(text);
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    message.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    MessageBox box(dialog_owner());
    box.setWindowTitle(qt_text_from_cp1252(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(message);
    box.setIcon((flags & ASK_ICON_STOP) != 0 ? QMessageBox::Critical : QMessageBox::NoIcon);
    const bool question = (flags & 0xF) == ASK_YES_NO_CANCEL;
    // A message's lines can be selected with the mouse and copied.
    if (!question) box.setTextInteractionFlags(Qt::TextSelectableByMouse);

    struct Button {
        QMessageBox::StandardButton kind;
        int answer;
    };
    const std::vector<Button> buttons =
        question
            ? std::vector<Button>{{QMessageBox::Yes, ANSWER_YES}, {QMessageBox::No, ANSWER_NO},
                                  {QMessageBox::Cancel, ANSWER_CANCEL}}
            : std::vector<Button>{{QMessageBox::Ok, ANSWER_OK}};
    std::vector<std::pair<QPushButton*, int>> added;
    for (const Button& button : buttons) added.emplace_back(box.addButton(button.kind), button.answer);
    box.setDefaultButton(added.front().first);
    // Esc and the close box give Cancel where there is one, and a lone OK.
    for (const auto& [button, answer] : added)
        if (answer == ANSWER_CANCEL || added.size() == 1) box.setEscapeButton(button);

    // Modal for the whole program: the main window takes neither input nor
    // close requests while the box is open.
    box.exec();
    for (const auto& [button, answer] : added)
        if (box.clickedButton() == button) return answer;
    return ANSWER_CANCEL;  // Esc or the close box
}

Path QtWindowServices::choose_file_to_open(const Text& title, const Path& default_path,
                                           const Text& pattern, int pattern_index) {
    if (!have_display_) return Path();

    // The folder the dialog opens in (else the current one), and the name
    // it presets.
    const DialogStart start = dialog_start(default_path, false);
    const std::string& folder = start.folder;
    QString start_folder = QFile::decodeName(QByteArray::fromStdString(folder));
    if (start_folder.isEmpty() || !QFileInfo(start_folder).isDir()) {
        start_folder = QDir::currentPath();
    }

    QStringList filters;
    const std::vector<Text> parts = split_pattern(pattern);
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        filters.push_back(name_filter(parts[i], parts[i + 1]));
    }

    OpenFileDialog dialog(dialog_owner(), qt_text_from_cp1252(title));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(start_folder);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (pattern_index >= 0 && pattern_index < filters.size()) {
            dialog.selectNameFilter(filters[pattern_index]);
        }
    }
    if (!start.name.empty()) dialog.selectFile(QFile::decodeName(QByteArray::fromStdString(start.name)));

    if (dialog.exec() != QDialog::Accepted) return Path();  // modal as the question
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return Path();
    const QFileInfo file(QDir::cleanPath(QFileInfo(chosen.first()).absoluteFilePath()));
    // A file in the folder the dialog opened in keeps that folder's own
    // bytes, whatever Qt made of them; the name is the system's form of what
    // was picked or typed.
    if (file.absolutePath() == QDir::cleanPath(start_folder) && !folder.empty())
        return Path{(folder == "/" ? folder : folder + "/") + QFile::encodeName(file.fileName()).toStdString()};
    return Path{QFile::encodeName(file.absoluteFilePath()).toStdString()};
}

bool QtWindowServices::on_x11() const {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Wayland compositors offer the clipboard only to the client with the
// keyboard focus, X11 clients under Wayland (Xwayland) included.
bool QtWindowServices::focus_gives_clipboard() const {
    return QGuiApplication::platformName().startsWith(QStringLiteral("wayland")) ||
           !environment("WAYLAND_DISPLAY").empty();
}

// Waits a short while for the main window to get the keyboard focus; true
// when it has it. Only window-system events are taken meanwhile, no user
// input.
bool QtWindowServices::wait_for_focus(int milliseconds) {
    if (window_ == nullptr) return false;
    if (window_->isActiveWindow()) {
        // A change of the clipboard that came with the focus is taken in.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return true;
    }
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, &loop, [&loop, this] {
        if (window_ != nullptr && window_->isActiveWindow()) loop.quit();
    });
    timeout.start(milliseconds);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return window_ != nullptr && window_->isActiveWindow();
}

ClipboardReading QtWindowServices::clipboard_get_text(int milliseconds) {
    ClipboardReading reading;
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = start + std::chrono::milliseconds(milliseconds);
    QString text;
    if (have_display_) {
        if (focus_gives_clipboard() &&
            !wait_for_focus(std::min(CLIPBOARD_FOCUS_WAIT_MS, milliseconds))) {
            reading.failure = CLIPBOARD_NO_FOCUS;
            return reading;
        }
        QClipboard* clipboard = QGuiApplication::clipboard();
        // What the program copied itself (a message's text) is at hand;
        // anything else is asked of its owner.
        if (on_x11() && !clipboard->ownsClipboard()) {
            const X11ClipboardText x11 = x11_clipboard_read(deadline);
            if (!x11.answered) {
                reading.failure = CLIPBOARD_SILENT;
                return reading;
            }
            clipboard_read_time_ = x11.time;
            text = QString::fromUtf8(x11.utf8);
        } else {
            const QMimeData* data = clipboard->mimeData(QClipboard::Clipboard);
            const bool offered = data != nullptr && data->hasText();
            if (offered) text = data->text();
            if (offered && text.isEmpty() && Clock::now() - start >= SILENT_OWNER_SIGN) {
                reading.failure = CLIPBOARD_SILENT;
                return reading;
            }
        }
    }
    reading.read = true;
    reading.text = qt_text_to_cp1252(text, true);
    const QByteArray utf8 = text.toUtf8();
    reading.fingerprint = clipboard_fingerprint(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    return reading;
}

unsigned long long QtWindowServices::clipboard_sequence() { return 0; }

int QtWindowServices::clipboard_clear() {
    if (!have_display_) return 0;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (on_x11() && !clipboard->ownsClipboard())
        return x11_clipboard_clear(clipboard_read_time_) ? 1 : 0;
    clipboard->clear(QClipboard::Clipboard);
    // The request goes to the window system now, not with the next wait for
    // an event: a process that ends first would lose it.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return 1;
}

int QtWindowServices::window_wait_event() {
    // Without a window nothing could ever close it.
    if (window_ == nullptr) return WINDOW_EVENT_CLOSE;
    if (!close_requested_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (!close_requested_) return WINDOW_EVENT_OTHER;
    close_requested_ = false;
    return WINDOW_EVENT_CLOSE;
}

}  // namespace

WindowServices* qt_window_services_create(int argc, char** argv) {
    return new QtWindowServices(argc, argv);
}

void qt_window_services_destroy(WindowServices* services) { delete services; }
