#include "platform/report_printer.h"

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/safe_file.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QRawFont>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QTextLayout>
#include <array>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace brelune {

namespace {

const QString kCaption = QStringLiteral("Impression");
const QString kCrLf = QStringLiteral("\r\n");
// The longest the user waits for an answer from the progress window.
constexpr qint64 kEventsEveryMs = 50;

// Where a PDF goes, as the user chooses, with its extension; empty when he
// cancels, or keeps the file of that name.
QString askPdfPath(Dialogs& dialogs, QDate today) {
    dialogs.message(QStringLiteral("Aucune imprimante n'est installée sur cet ordinateur.\r\n"
                                   "Vous pouvez enregistrer le document au format PDF."),
                    kCaption, Icon::Exclamation, Buttons::Ok);
    return askSavePath(dialogs, kCaption, QStringLiteral("Enregistrer le document en PDF"),
                       QStringLiteral("Document PDF"), QStringLiteral("pdf"), today);
}

// The PDF's temporary file, written with the system's own calls: Qt's PDF
// writer goes on silently past a failed write, this file keeps the first
// failure's error number.
class PdfFile : public QIODevice {
public:
    explicit PdfFile(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC)) {
        if (fd_ < 0)
            error_ = errno;
        else
            QIODevice::open(QIODevice::WriteOnly);
    }
    ~PdfFile() override { finish(); }
    // Writes out what is held and closes the file; the first failure's
    // error number, or 0.
    int finish() {
        if (fd_ >= 0) {
            writeHeld();
            if (::close(fd_) != 0 && error_ == 0)
                error_ = errno;
            fd_ = -1;
            QIODevice::close();
        }
        return error_;
    }
    int error() const { return error_; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        held_.append(data, size);
        if (held_.size() >= kChunk)
            writeHeld();
        return error_ == 0 ? size : -1;
    }

private:
    static constexpr qsizetype kChunk = 1 << 16; // the writer's pieces are small
    void writeHeld() {
        if (error_ == 0)
            error_ = writeAll(fd_, held_.constData(), held_.size());
        held_.clear();
    }

    int fd_;
    int error_ = 0;
    QByteArray held_;
};

// Whether the file ends as a whole PDF does, with its end-of-file mark.
bool endsPdf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(std::max<qint64>(0, file.size() - 16)))
        return false;
    return file.read(16).trimmed().endsWith("%%EOF");
}

// Writes the PDF beside target and puts it in target's place once it is
// whole: a cancel or a failure leaves any file of that name as it was. A new
// file gets the mode the user's umask gives, a replaced one keeps its own.
// Why it could not be written, or nothing.
std::optional<QString> writePdf(const QPrinter& printer, const QString& target,
                                const QString& fontFamily, ReportLines& lines) {
    QString problem;
    const auto mode = replacementMode(target, umaskMode(), &problem);
    if (!mode)
        return problem;
    TempBeside temp(target);
    if (temp.problem())
        return temp.problem();
    PdfFile file(temp.path());
    if (file.error() != 0)
        return systemErrorText(file.error());
    PrintResult result;
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(printer.pageLayout());
        writer.setResolution(printer.resolution());
        writer.setTitle(printer.docName());
        writer.setCreator(printer.creator());
        result = printReportLines(writer, fontFamily, lines, [&file] { return file.error() != 0; });
    }
    const int error = file.finish();
    if (result == PrintResult::Cancelled)
        return std::nullopt;
    if (error != 0)
        return systemErrorText(error);
    if (result == PrintResult::Failed || !endsPdf(temp.path()))
        return systemErrorText(EIO);
    return temp.commit(*mode);
}

// The report's type in one size, as the device sets it. A line of characters
// that the font draws itself, all of one width since its pitch is fixed, is
// measured by counting them; the text engine lays out any other line.
struct Face {
    Face(const QFont& request, QPaintDevice& device)
        : font(request, &device), metrics(font, &device), raw(QRawFont::fromFont(font)) {
        QTextLayout empty(QString(), font, &device);
        empty.beginLayout();
        QTextLine line = empty.createLine();
        line.setLeadingIncluded(true);
        empty.endLayout();
        ascent = line.ascent();
        height = line.height();
        step = qCeil(line.ascent() + line.descent() + line.leading());
        advance = metrics.horizontalAdvance(u'x');
    }

    // Whether text is one line of such characters that fits in width.
    bool drawsWhole(const QString& text, qreal width) {
        if (qreal(text.size()) * advance > width)
            return false;
        for (const QChar c : text)
            if (!own(c))
                return false;
        return true;
    }

    QFont font;
    QFontMetricsF metrics;
    QRawFont raw;
    qreal ascent = 0;  // from a line's top to its baseline
    qreal height = 0;  // the room a line needs below its top on the page
    qreal step = 0;    // from a line's top to the next line's
    qreal advance = 0; // every character's width

private:
    // Printable Latin-1 and the euro sign, when the font itself has the
    // character at its one width.
    bool own(QChar c) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u < 0xa0) || u == 0xad || (u > 0xff && u != 0x20ac))
            return false;
        qint8& known = own_[u > 0xff ? 256 : u];
        if (known < 0)
            known = raw.supportsCharacter(c) && metrics.horizontalAdvance(c) == advance;
        return known != 0;
    }
    // For each character of Latin-1, then the euro sign: whether it is the
    // font's own, -1 until asked.
    std::array<qint8, 257> own_ = [] {
        std::array<qint8, 257> unknown;
        unknown.fill(-1);
        return unknown;
    }();
};

// Puts the report's lines on the device's pages one after the other, each
// line where the text engine would put it in a document of all the lines:
// an empty line is as high as the text before it (the application's font
// before any text), and a line that would cross the page's foot starts the
// next page.
class PageWriter {
public:
    PageWriter(QPagedPaintDevice& device, QPainter& painter, const QString& fontFamily)
        : device_(device), painter_(painter), family_(fontFamily) {
        const QRect page = device.pageLayout().paintRectPixels(device.logicalDpiY());
        width_ = page.width();
        pageHeight_ = page.height();
    }

    int linesPerPage(int pointSize) { return int(pageHeight_ / face(pointSize).step); }

    // Lays one line of the report out and draws it; false when a new page
    // could not be begun.
    bool put(const QString& text, int pointSize) {
        Face& f = face(pointSize);
        if (text.isEmpty()) {
            if (!textFace_)
                textFace_ = &face(0);
            return placeLine(textFace_->height, textFace_->step, true) >= 0;
        }
        textFace_ = &f;
        if (!f.drawsWhole(text, width_))
            return putLaidOut(text, pointSize, f);
        const qreal top = placeLine(f.height, f.step, true);
        if (top < 0)
            return false;
        if (drawnFace_ != &f)
            painter_.setFont(f.font);
        drawnFace_ = &f;
        painter_.drawText(QPointF(0, top + f.ascent), text);
        return true;
    }

private:
    // The text engine's own layout of a line it wraps or that holds other
    // characters; a line feed in it starts a new line, as in a document.
    bool putLaidOut(const QString& text, int pointSize, Face& f) {
        static const QRegularExpression kBreaks(QStringLiteral("[\\r\\n\\x{2029}]"));
        if (text.contains(kBreaks)) {
            bool first = true;
            for (const QString& part : text.split(kBreaks)) {
                if (!std::exchange(first, false))
                    textFace_ = &f; // the lines after a break are in the text's size
                if (!put(part, pointSize))
                    return false;
            }
            return true;
        }
        QTextLayout layout(text, f.font, &device_);
        const bool rtl = text.isRightToLeft();
        QTextOption option(rtl ? Qt::AlignRight : Qt::AlignLeft);
        option.setTextDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(width_);
            line.setPosition(QPointF());
        }
        layout.endLayout();
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            const qreal top =
                placeLine(line.height(), qCeil(line.ascent() + line.descent() + line.leading()),
                          i + 1 == layout.lineCount());
            if (top < 0)
                return false;
            line.draw(&painter_, QPointF(0, top));
        }
        drawnFace_ = nullptr; // the layout may have set the painter's font
        return true;
    }

    // The top of the next line, which needs height below it and moves the
    // line after by step, or below the room it needs when it ends its line of
    // the report; below 0 when a new page could not be begun.
    qreal placeLine(qreal height, qreal step, bool endsReportLine) {
        if (y_ + height > pageHeight_ && height <= pageHeight_) {
            if (!device_.newPage())
                return -1;
            y_ = 0;
        }
        const qreal top = y_;
        y_ = endsReportLine ? std::max(y_ + step, top + height) : y_ + step;
        return top;
    }

    // The type in a size; 0: the application's font.
    Face& face(int pointSize) {
        std::unique_ptr<Face>& f = faces_[pointSize];
        if (!f) {
            QFont font;
            if (pointSize > 0) {
                font = QFont(family_);
                font.setStyleHint(QFont::TypeWriter);
                font.setPointSize(pointSize);
            }
            f = std::make_unique<Face>(font, device_);
        }
        return *f;
    }

    QPagedPaintDevice& device_;
    QPainter& painter_;
    QString family_;
    qreal width_ = 0;
    qreal pageHeight_ = 0;
    qreal y_ = 0; // the next line's top on the page
    std::map<int, std::unique_ptr<Face>> faces_;
    Face* textFace_ = nullptr;  // the last line of text's
    Face* drawnFace_ = nullptr; // the painter's
};

void abortJob(QPagedPaintDevice& device) {
    if (auto* printer = dynamic_cast<QPrinter*>(&device))
        printer->abort();
}

} // namespace

BlockLines::BlockLines(const std::vector<PrintBlock>& blocks) : blocks_(blocks) {
    for (const PrintBlock& block : blocks)
        count_ += block.text.count(kCrLf) + (block.text.endsWith(kCrLf) ? 0 : 1);
}

bool BlockLines::next(QString& text, int& pointSize) {
    for (; block_ < blocks_.size(); ++block_, from_ = 0) {
        const PrintBlock& block = blocks_[block_];
        const qsizetype end = block.text.size() - (block.text.endsWith(kCrLf) ? 2 : 0);
        if (from_ > end)
            continue;
        qsizetype stop = block.text.indexOf(kCrLf, from_);
        if (stop < 0 || stop > end)
            stop = end;
        text = block.text.mid(from_, stop - from_);
        pointSize = block.pointSize;
        from_ = stop + 2;
        return true;
    }
    return false;
}

void ReportPrinter::printLines(const QString& fontFamily, ReportLines& lines) {
    std::vector<PrintBlock> blocks;
    QString text;
    int pointSize = 0;
    while (lines.next(text, pointSize)) {
        if (blocks.empty() || blocks.back().pointSize != pointSize)
            blocks.push_back({{}, pointSize});
        else
            blocks.back().text += kCrLf;
        blocks.back().text += text;
    }
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i)
        blocks[i].text += kCrLf;
    print(fontFamily, blocks);
}

PrintResult printReportLines(QPagedPaintDevice& device, const QString& fontFamily,
                             ReportLines& lines, const std::function<bool()>& broken) {
    device.setPageMargins(QMarginsF(15, 36, 36, 36), QPageLayout::Point); // 15 pt: 300 twips
    QProgressDialog progress(QStringLiteral("Impression en cours…"), QStringLiteral("Annuler"), 0,
                             int(std::min<qsizetype>(lines.count(), INT_MAX)));
    progress.setWindowTitle(kCaption);
    progress.setWindowModality(Qt::ApplicationModal);
    QPainter painter;
    if (!painter.begin(&device))
        return PrintResult::Failed;
    PageWriter pages(device, painter, fontFamily);
    QString text;
    int pointSize = 0;
    bool more = lines.next(text, pointSize);
    // A long report shows its progress before its first line; a short one
    // only if it takes long all the same.
    const bool longReport = more && lines.count() > 10 * pages.linesPerPage(pointSize);
    progress.setMinimumDuration(longReport ? 0 : 4000);
    if (longReport)
        progress.show();
    QElapsedTimer sinceEvents;
    for (qsizetype done = 0; more; ++done, more = lines.next(text, pointSize)) {
        if (!sinceEvents.isValid() || sinceEvents.hasExpired(kEventsEveryMs)) {
            progress.setValue(int(std::min<qsizetype>(done, INT_MAX)));
            if (progress.isVisible())
                QCoreApplication::processEvents();
            if (progress.wasCanceled()) {
                abortJob(device);
                return PrintResult::Cancelled;
            }
            if (broken && broken())
                return PrintResult::Failed;
            sinceEvents.start();
        }
        if (!pages.put(text, pointSize))
            return PrintResult::Failed;
    }
    return painter.end() ? PrintResult::Printed : PrintResult::Failed;
}

void QtReportPrinter::print(const QString& fontFamily, const std::vector<PrintBlock>& blocks) {
    BlockLines lines(blocks);
    printLines(fontFamily, lines);
}

void QtReportPrinter::printLines(const QString& fontFamily, ReportLines& lines) {
    if (busy_)
        return; // a report is going out: the progress dialog lets events through
    const QScopedValueRollback busy(busy_, true);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("BRELUNE"));
    const QPrinterInfo device = QPrinterInfo::defaultPrinter();
    if (!device.isNull()) {
        printer.setPrinterName(device.printerName());
        if (printReportLines(printer, fontFamily, lines) == PrintResult::Failed)
            dialogs_.message(QStringLiteral("Le document n'a pas pu être imprimé : "
                                            "l'imprimante « %1 » l'a refusé.")
                                 .arg(device.printerName()),
                             kCaption, Icon::Critical, Buttons::Ok);
        return;
    }
    const QString pdf = askPdfPath(dialogs_, clock_.today());
    if (pdf.isEmpty())
        return;
    printer.setOutputFormat(QPrinter::PdfFormat);
    if (const auto problem = writePdf(printer, pdf, fontFamily, lines))
        dialogs_.message(
            QStringLiteral("Le fichier « %1 » n'a pas pu être écrit : %2.").arg(pdf, *problem),
            kCaption, Icon::Critical, Buttons::Ok);
}

} // namespace brelune
