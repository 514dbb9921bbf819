#pragma once

#include <string>

#include <QFont>
#include <QSize>
#include <QString>

#include "files/PersonTraces.h"
#include "report/Session.h"

class QPushButton;
class QScreen;
class QScrollArea;
class QWidget;

namespace kalden {

// Small pieces that the worksheet, the results window and the matrix window
// share.

QFont bolded(QFont font);

// A push button with a bold caption that is never a default button, at
// least 161 x 37 pixels and more when the caption needs it.
QPushButton* boldButton(const QString& caption, QWidget* parent);

// The system's reason for a failed file operation (strerror's text, in the
// locale's encoding), as the error boxes show it.
QString systemReason(const std::string& error);

// A file name a dialog remembers goes back to `fallback` when it names a
// person just erased.
void forgetNameOfErased(const ErasedPeople& erased, QString& name, const QString& fallback);

// The name a save dialog offers for a file made of the case of `s`: the
// person, the date of testing and `what`, in the folder of the name the
// dialog remembers and with its extension (`extension` where it has none);
// the remembered name itself where no person is named.
QString personFileNameAfter(const QString& remembered, const Session& s, const char* what, const char* extension);

// A file name as the core takes it: UTF-8 on Windows, whose core calls are
// the wide ones; the file system's own bytes elsewhere.
std::string corePath(const QString& path);
// And back: a file name (or a text holding one) from the core.
QString qtPath(const std::string& path);

// Enter or Return on a focused push button of `window` presses it, as Space
// does. The buttons stay non-default, so Enter in a dialog's fields keeps
// its own meaning. Call once the window's buttons are made.
void pressButtonsOnEnter(QWidget& window);

// The running program's version, e.g. "0.1.0".
QString programVersion();

// The About box's text: the version, the methods the program implements,
// the licence and the user's data folder (under `host`'s data home).
class ProgramHost;
QString aboutText(const ProgramHost& host);

// Why a file the user chose to save may not be written: it is one of the
// case stores in the user's data folder (the program's or the template
// demo's) or one of their files, by any name. Empty when it may be written.
QString caseStoreClash(const ProgramHost& host, const QString& fileName);

// The size `window` may take on the screen's available area, less its frame.
QSize roomOnScreen(const QWidget& window, const QScreen* screen);

// The screen a window opens on: its opener's, or for the first window the
// one under the mouse.
QScreen* screenToOpenOn(const QWidget* opener);

// Places `window` on the screen's available area (moving a window not yet
// shown to that screen): made no larger than the
// area (as far as its minimum size allows), centred on it, and moved so that
// its title bar is never above or left of it, so that a window larger than
// a small or scaled screen can still be moved and its buttons reached.
// Nothing happens without a screen.
void placeOnScreen(QWidget& window, QScreen* screen);

// Gives `window` the size its content was laid out for, after which
// `grower` (the text, the table) may shrink to `smallest` and grows with the
// window, so that it fits a small screen and can be maximised.
void openAtDesignedSize(QWidget& window, QWidget& grower, QSize smallest);

// Scrolls `area` so that the whole of `control` (one of its content's
// children) is in view with a little room around it; a control larger than
// the view is shown from its start. Unlike QScrollArea::ensureWidgetVisible,
// which brings only a text field's cursor into view.
void scrollIntoView(QScrollArea& area, const QWidget& control);

} // namespace kalden
