#include "gui/report/PdfExport.h"

#include <string>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>

#include "files/TextFile.h"
#include "gui/platform/Services.h"
#include "gui/platform/WindowHelpers.h"

namespace kalden {

namespace {

// The document is made in memory: a failure can then never leave a
// half-written file behind, and the file is replaced only once it is whole.
bool makePdf(QPageLayout::Orientation orientation, const std::function<bool(QPdfWriter&, QString&)>& paint,
             QByteArray& pdf, QString& error) {
    QBuffer buffer(&pdf);
    if (!buffer.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("The PDF document could not be started");
        return false;
    }
    QPdfWriter writer(&buffer);
    writer.setCreator(ProgramName);
    writer.setTitle(ProgramName);
    writer.setResolution(PdfResolution);
    const QMarginsF margins(PdfMarginMillimetres, PdfMarginMillimetres, PdfMarginMillimetres, PdfMarginMillimetres);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation, margins, QPageLayout::Millimeter));
    return paint(writer, error);
}

} // namespace

bool reportPdf(const QString& text, const QFont& font, const PagePainter& lastPage, QByteArray& pdf, QString& error) {
    return makePdf(
        QPageLayout::Portrait,
        [&](QPdfWriter& writer, QString& e) { return printTextOnDevice(writer, text, font, e, nullptr, lastPage); },
        pdf, error);
}

bool picturePdf(const PagePainter& paint, QByteArray& pdf, QString& error) {
    return makePdf(
        QPageLayout::Landscape, [&](QPdfWriter& writer, QString& e) { return printPictureOnDevice(writer, paint, e); },
        pdf, error);
}

bool replaceFileWith(const QString& path, const QByteArray& bytes, QString& error) {
    std::string reason;
    if (writeFileReplacing(corePath(path), bytes.toStdString(), reason)) return true;
    error = QDir::toNativeSeparators(path) + u'\r' + QString::fromLocal8Bit(reason.c_str());
    return false;
}

} // namespace kalden
