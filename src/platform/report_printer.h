// ReportPrinter: sends a report to the default printer, line by line, so that
// a report of any length is neither laid out nor held whole before it prints.
#pragma once

#include <QString>
#include <functional>
#include <vector>

class QPagedPaintDevice;

namespace brelune {

class Clock;
class Dialogs;

// One block of report text; "\r\n" starts a new line.
struct PrintBlock {
    QString text;
    int pointSize;
};

// A report's lines in order, each made when it is asked for.
class ReportLines {
public:
    virtual ~ReportLines() = default;
    // How many lines next() gives in all; printing counts its progress in them.
    virtual qsizetype count() const = 0;
    // The next line, without its line break, and its size in points; false
    // once every line has been given.
    virtual bool next(QString& text, int& pointSize) = 0;
};

// The lines of blocks printed one after the other. The "\r\n" that ends a
// block only ends its last line.
class BlockLines : public ReportLines {
public:
    explicit BlockLines(const std::vector<PrintBlock>& blocks);
    qsizetype count() const override { return count_; }
    bool next(QString& text, int& pointSize) override;

private:
    const std::vector<PrintBlock>& blocks_;
    std::size_t block_ = 0;
    qsizetype from_ = 0; // where the block's next line starts
    qsizetype count_ = 0;
};

class ReportPrinter {
public:
    virtual ~ReportPrinter() = default;
    // Prints the blocks one after the other in one document, in the named
    // font family, then ends the document so that the page goes out.
    virtual void print(const QString& fontFamily, const std::vector<PrintBlock>& blocks) = 0;
    // Prints the lines as one document likewise. By default they are
    // gathered into blocks, one for each run of lines of one size, for print().
    virtual void printLines(const QString& fontFamily, ReportLines& lines);
};

// The system's default printer, without any dialog. With no printer
// installed the user is told and may save the document as a PDF instead,
// which takes the place of a file of that name only once it is whole; a
// failure is reported, never taken for success. A long document shows its
// progress from the start and can be cancelled.
class QtReportPrinter : public ReportPrinter {
public:
    QtReportPrinter(Dialogs& dialogs, const Clock& clock) : dialogs_(dialogs), clock_(clock) {}
    void print(const QString& fontFamily, const std::vector<PrintBlock>& blocks) override;
    void printLines(const QString& fontFamily, ReportLines& lines) override;

private:
    Dialogs& dialogs_;
    const Clock& clock_;
    bool busy_ = false;
};

enum class PrintResult { Printed, Cancelled, Failed };

// Lays the lines out on the device's pages, 300 twips from the left edge, a
// line too long for the page carried over at a space (or anywhere in a word
// longer than the line), a line that would cross the page's foot put on the
// next page, and prints them as they come. The progress window is up before
// the first line for a report of more than ten pages. Printing stops when
// broken, asked now and then, says that the output can no longer be written.
PrintResult printReportLines(QPagedPaintDevice& device, const QString& fontFamily,
                             ReportLines& lines, const std::function<bool()>& broken = {});

} // namespace brelune
