#include "platform/report_printer.h"

#include "platform/clock.h"
#include "platform/dialogs.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QScopedValueRollback>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTextDocument>

namespace brelune {

namespace {

const QString kCaption = QStringLiteral("Impression");

// Where a PDF goes, as the user chooses; empty when he cancels.
QString askPdfPath(Dialogs& dialogs, QDate today) {
    dialogs.message(QStringLiteral("Aucune imprimante n'est installée sur cet ordinateur.\r\n"
                                   "Vous pouvez enregistrer le document au format PDF."),
                    kCaption, Icon::Exclamation, Buttons::Ok);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    QString path =
        dialogs.saveFile(QStringLiteral("Enregistrer le document en PDF"),
                         QStringLiteral("Document PDF"), QStringLiteral("*.pdf"),
                         folder + QStringLiteral("/BRELUNE ") +
                             today.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".pdf"));
    if (!path.isEmpty() && !path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    return path;
}

} // namespace

PrintResult printBlocks(QPrinter& printer, const QString& fontFamily,
                        const std::vector<PrintBlock>& blocks) {
    printer.setPageMargins(QMarginsF(15, 36, 36, 36), QPageLayout::Point); // 15 pt: 300 twips
    QTextDocument doc;
    doc.setUndoRedoEnabled(false);
    doc.documentLayout()->setPaintDevice(&printer);
    doc.setDocumentMargin(0);
    QTextCursor cursor(&doc);
    bool first = true;
    for (const PrintBlock& block : blocks) {
        QFont font(fontFamily);
        font.setStyleHint(QFont::TypeWriter);
        font.setPointSize(block.pointSize);
        QTextCharFormat format;
        format.setFont(font);
        QString text = block.text;
        if (text.endsWith(QStringLiteral("\r\n")))
            text.chop(2); // the line break that ends the block
        for (const QString& line : text.split(QStringLiteral("\r\n"))) {
            if (!std::exchange(first, false))
                cursor.insertBlock();
            cursor.insertText(line, format);
        }
    }
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    doc.setPageSize(page.size());
    const int pages = doc.pageCount();

    QPainter painter;
    if (!painter.begin(&printer))
        return PrintResult::Failed;
    QProgressDialog progress(QStringLiteral("Impression en cours…"), QStringLiteral("Annuler"), 0,
                             pages);
    progress.setWindowTitle(kCaption);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(pages > 10 ? 0 : 4000); // at once for a long report
    for (int p = 0; p < pages; ++p) {
        if (p > 0 && !printer.newPage())
            return PrintResult::Failed;
        painter.save();
        painter.translate(0, -p * page.height());
        doc.drawContents(&painter, QRectF(0, p * page.height(), page.width(), page.height()));
        painter.restore();
        progress.setValue(p + 1);
        if (progress.wasCanceled()) {
            printer.abort();
            return PrintResult::Cancelled;
        }
    }
    return painter.end() ? PrintResult::Printed : PrintResult::Failed;
}

void QtReportPrinter::print(const QString& fontFamily, const std::vector<PrintBlock>& blocks) {
    if (busy_)
        return; // a report is going out: the progress dialog lets events through
    const QScopedValueRollback busy(busy_, true);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("BRELUNE"));
    QString pdf;
    const QPrinterInfo device = QPrinterInfo::defaultPrinter();
    if (device.isNull()) {
        pdf = askPdfPath(dialogs_, clock_.today());
        if (pdf.isEmpty())
            return;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    } else {
        printer.setPrinterName(device.printerName());
    }
    const PrintResult result = printBlocks(printer, fontFamily, blocks);
    if (result == PrintResult::Failed ||
        (result == PrintResult::Printed && !pdf.isEmpty() && !QFileInfo(pdf).isFile()))
        dialogs_.message(pdf.isEmpty()
                             ? QStringLiteral("Le document n'a pas pu être imprimé : "
                                              "l'imprimante « %1 » l'a refusé.")
                                   .arg(device.printerName())
                             : QStringLiteral("Le fichier « %1 » n'a pas pu être écrit : le "
                                              "dossier est introuvable ou protégé.")
                                   .arg(pdf),
                         kCaption, Icon::Critical, Buttons::Ok);
}

} // namespace brelune
