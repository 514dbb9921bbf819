#include "gui/report/SummaryExport.h"

#include <QBuffer>
#include <QFileInfo>
#include <QMimeData>
#include <QTextDocument>
#include <QTextDocumentWriter>

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

} // namespace kalden
