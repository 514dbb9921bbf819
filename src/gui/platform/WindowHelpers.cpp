#include "gui/platform/WindowHelpers.h"

#include <algorithm>

#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

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

void centreOnScreen(QWidget& window, const QScreen* screen) {
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
}

std::string corePath(const QString& path) {
#ifdef Q_OS_WIN
    return path.toUtf8().toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

} // namespace kalden
