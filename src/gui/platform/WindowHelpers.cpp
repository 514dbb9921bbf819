#include "gui/platform/WindowHelpers.h"

#include <algorithm>

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QWidget>

#include "files/CaseExport.h"
#include "files/PersonFileName.h"
#include "files/PreviousDataFile.h"
#include "files/StoreGuard.h"
#include "gui/platform/Services.h"
#include "worksheet/ProgramConfig.h"

namespace kalden {

QFont bolded(QFont f) {
    f.setBold(true);
    return f;
}

QPushButton* boldButton(const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setFont(bolded(b->font()));
    b->setAccessibleName(caption.trimmed());
    b->setAutoDefault(false);
    const QSize hint = b->sizeHint();
    b->setMinimumSize(std::max(161, hint.width() + 16), std::max(37, hint.height() + 8));
    return b;
}

QString systemReason(const std::string& error) { return QString::fromLocal8Bit(error.c_str()); }

namespace {

class EnterPressesButton : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!enter || modifiers != Qt::NoModifier || !button || !button->isEnabled()) return false;
        button->click();
        return true;
    }
};

} // namespace

void pressButtonsOnEnter(QWidget& window) {
    auto* filter = new EnterPressesButton(&window);
    for (QPushButton* button : window.findChildren<QPushButton*>()) button->installEventFilter(filter);
}

QString programVersion() { return QStringLiteral(KALDEN_VERSION); }

QString aboutText(const ProgramHost& host) {
    QStringList citation;
    for (const std::string& line : CitationLines) citation << QString::fromStdString(line);
    const QString folder = QFile::decodeName(userDataFolder(corePath(host.dataHome())).c_str());
    return QStringLiteral(
               "KALDEN %1\r%2\r\rThis program implements the methods of:\r%3\r\r"
               "Licence: MIT (see the file LICENSE that comes with the program).\r\r"
               "Data folder: %4")
        .arg(programVersion(), QString::fromStdString(ProgramTitle), citation.join(u' '),
             QDir::toNativeSeparators(folder));
}

namespace {

bool isFramed(const QWidget& window) { return window.isVisible() && window.frameGeometry() != window.geometry(); }

// The frame is known once the window is shown; before, a title bar and
// borders of the style's usual size stand for it.
QMargins frameOf(const QWidget& window) {
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    if (isFramed(window))
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                        outer.bottom() - inner.bottom());
    const QStyle* style = window.style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    return QMargins(border, style->pixelMetric(QStyle::PM_TitleBarHeight) + border, border, border);
}

// A window placed before the window manager has framed it is placed by a
// guess at its frame, and some window managers then take the point given
// for the frame's as the client area's, leaving the title bar above the
// screen: once the frame is known, in the first moments after showing, the
// window is placed again.
class PlaceOnceFramed : public QObject {
public:
    static constexpr const char* Name = "placeOnceFramed";

    PlaceOnceFramed(QWidget& window, QScreen* screen) : QObject(&window), window_(window), screen_(screen) {
        setObjectName(QLatin1String(Name));
        window.installEventFilter(this);
        QTimer::singleShot(3000, this, &QObject::deleteLater);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::Move && type != QEvent::Resize && type != QEvent::Show) return false;
        if (!isFramed(window_)) return false;
        window_.removeEventFilter(this);
        deleteLater();
        if (screen_) placeOnScreen(window_, screen_);
        return false;
    }

private:
    QWidget& window_;
    QPointer<QScreen> screen_;
};

} // namespace

QSize roomOnScreen(const QWidget& window, const QScreen* screen) {
    const QMargins frame = frameOf(window);
    return screen->availableGeometry().size().shrunkBy(frame);
}

QScreen* screenToOpenOn(const QWidget* opener) {
    if (opener && opener->isVisible()) return opener->screen();
    if (QScreen* underMouse = QGuiApplication::screenAt(QCursor::pos())) return underMouse;
    return QGuiApplication::primaryScreen();
}

void placeOnScreen(QWidget& window, QScreen* screen) {
    if (!screen) return;
    if (!window.isVisible()) window.setScreen(screen);
    const QRect area = screen->availableGeometry();
    const QMargins frame = frameOf(window);
    const QSize size = window.size().boundedTo(roomOnScreen(window, screen)).expandedTo(window.minimumSize());
    if (size != window.size()) window.resize(size);
    const QSize whole = size.grownBy(frame);
    QPoint at = area.center() - QPoint(whole.width() / 2, whole.height() / 2);
    at.setX(std::max(area.left(), std::min(at.x(), area.right() + 1 - whole.width())));
    at.setY(std::max(area.top(), std::min(at.y(), area.bottom() + 1 - whole.height())));
    const bool framed = isFramed(window);
    // A window shown but not yet framed is moved by its client area, and
    // some window managers then frame it where it stands, title bar above:
    // its client area goes below the guessed frame.
    if (!framed && window.testAttribute(Qt::WA_WState_Created))
        window.move(at + QPoint(frame.left(), frame.top()));
    else
        window.move(at);
    if (!framed && !window.findChild<QObject*>(PlaceOnceFramed::Name, Qt::FindDirectChildrenOnly))
        new PlaceOnceFramed(window, screen);
}

void openAtDesignedSize(QWidget& window, QWidget& grower, QSize smallest) {
    window.adjustSize();
    const QSize designed = window.size();
    grower.setMinimumSize(smallest);
    // The layouts between them take the new minimum now, and so the window.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    if (QLayout* layout = window.layout()) {
        layout->invalidate();
        window.setMinimumSize(layout->totalMinimumSize());
    }
    window.resize(designed);
}

std::string corePath(const QString& path) {
#ifdef Q_OS_WIN
    return path.toUtf8().toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

QString qtPath(const std::string& path) {
#ifdef Q_OS_WIN
    return QString::fromStdString(path);
#else
    return QFile::decodeName(path.c_str());
#endif
}

QString caseStoreClash(const ProgramHost& host, const QString& fileName) {
    const std::string home = corePath(host.dataHome());
    for (const std::string& storeName : {TemplateConfig{}.caseStoreFileName, templateDemoConfig().caseStoreFileName}) {
        const std::string store = caseStorePath(home, storeName);
        if (writesCaseStore(corePath(fileName), store)) return qtPath(caseStoreTargetReason(store));
    }
    return {};
}

void forgetNameOfErased(const ErasedPeople& erased, QString& name, const QString& fallback) {
    if (erased.namedIn(name.toStdString())) name = fallback;
}

QString personFileNameAfter(const QString& remembered, const Session& s, const char* what, const char* extension) {
    if (s.person.empty()) return remembered;
    const QFileInfo before(remembered);
    const QString suffix = before.suffix().isEmpty() ? QString::fromLatin1(extension) : before.suffix();
    const QString name = QString::fromStdString(personFileName(s, what, suffix.toStdString()));
    return remembered.contains(u'/') || remembered.contains(u'\\') ? before.dir().filePath(name) : name;
}

namespace {

// One direction of scrollIntoView: the span from `start`, `length` long,
// within a view `room` long that `bar` moves over the content.
void bringSpanIntoView(QScrollBar& bar, int start, int length, int room) {
    const int margin = std::clamp((room - length) / 2, 0, 8);
    if (length > room || start - margin < bar.value())
        bar.setValue(start - margin);
    else if (start + length + margin > bar.value() + room)
        bar.setValue(start + length + margin - room);
}

} // namespace

void scrollIntoView(QScrollArea& area, const QWidget& control) {
    const QWidget* content = area.widget();
    if (!content || !content->isAncestorOf(&control)) return;
    const QPoint at = control.mapTo(content, QPoint(0, 0));
    const QSize view = area.viewport()->size();
    bringSpanIntoView(*area.horizontalScrollBar(), at.x(), control.width(), view.width());
    bringSpanIntoView(*area.verticalScrollBar(), at.y(), control.height(), view.height());
}

} // namespace kalden
