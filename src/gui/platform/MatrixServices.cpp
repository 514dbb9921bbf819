#include "gui/platform/MatrixServices.h"

#include <QFileDialog>
#include <QStringList>

namespace kalden {

std::optional<QString> QtMatrixFileDialog::openFileName(QWidget* parent, const QString& filter) {
    const QStringList patterns = filter.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    const QString qtFilter = QStringLiteral("Matrix files (%1)").arg(patterns.join(QLatin1Char(' ')));
    const QString name = QFileDialog::getOpenFileName(parent, QStringLiteral("Open Matrix File"), QString(), qtFilter);
    if (name.isEmpty()) return std::nullopt;
    return name;
}

} // namespace kalden
