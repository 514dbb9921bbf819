#include "gui/report/SummaryExport.h"

#include <QBuffer>
#include <QFileInfo>
#include <QMimeData>
#include <QTextDocument>
#include <QTextDocumentWriter>

#include "gui/platform/Services.h"
#include "gui/report/PdfExport.h"

namespace kalden {

QMimeData* summaryMimeData(const CaseSummary& summary) {
    auto* data = new QMimeData;
    data->setHtml(QString::fromStdString(summaryHtml(summary)));
    data->setText(QString::fromStdString(summaryText(summary)));
    return data;
}

bool summaryFileBytes(const CaseSummary& summary, const QString& fileName, QByteArray& bytes, QString& error) {
    const QString extension = QFileInfo(fileName).suffix().toLower();
    if (extension == u"html" || extension == u"htm") {
        bytes = QByteArray::fromStdString(summaryHtml(summary));
        return true;
    }
    if (extension != u"odt") {
        error = SummaryExtensionMessage;
        return false;
    }
    QTextDocument document;
    document.setHtml(QString::fromStdString(summaryHtml(summary)));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QTextDocumentWriter writer(&buffer, "odf");
    if (writer.write(&document)) return true;
    error = QStringLiteral("The summary could not be written as an OpenDocument text");
    return false;
}

QMimeData* changeSummaryMimeData(const CaseComparison& comparison) {
    const QString text = QString::fromStdString(changeSummaryText(comparison));
    auto* data = new QMimeData;
    data->setHtml(QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head>\n<body>\n<p>") +
                  text.trimmed().toHtmlEscaped() + QStringLiteral("</p>\n</body></html>\n"));
    data->setText(text);
    return data;
}

void saveSummaryOf(const CaseRecord& record, const Services& services, QWidget* parent, QString& fileName) {
    saveSummary(summarizeCase(record), services, parent, fileName);
}

void saveSummary(const CaseSummary& summary, const Services& services, QWidget* parent, QString& fileName) {
    const std::optional<QString> name = services.files.saveFileNameFiltered(parent, fileName, SummaryFileTypes);
    if (!name) return;
    fileName = *name;
    QByteArray bytes;
    QString error;
    if (!summaryFileBytes(summary, *name, bytes, error)) {
        if (error == SummaryExtensionMessage)
            services.boxes.warning(error);
        else
            services.boxes.error(error);
        return;
    }
    if (!replaceFileWith(services.host, *name, bytes, error)) services.boxes.error(error);
}

} // namespace kalden
