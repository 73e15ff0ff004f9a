// ReportPrinter: sends a report's text to the default printer.
#pragma once

#include <QString>
#include <vector>

class QPrinter;

namespace brelune {

class Clock;
class Dialogs;

// One block of report text; "\r\n" starts a new line.
struct PrintBlock {
    QString text;
    int pointSize;
};

class ReportPrinter {
public:
    virtual ~ReportPrinter() = default;
    // Prints the blocks one after the other in one document, in the named
    // font family, then ends the document so that the page goes out.
    virtual void print(const QString& fontFamily, const std::vector<PrintBlock>& blocks) = 0;
};

// The system's default printer, without any dialog. With no printer
// installed the user is told and may save the document as a PDF instead; a
// failure is reported, never taken for success. A long document shows its
// progress and can be cancelled.
class QtReportPrinter : public ReportPrinter {
public:
    QtReportPrinter(Dialogs& dialogs, const Clock& clock) : dialogs_(dialogs), clock_(clock) {}
    void print(const QString& fontFamily, const std::vector<PrintBlock>& blocks) override;

private:
    Dialogs& dialogs_;
    const Clock& clock_;
    bool busy_ = false;
};

enum class PrintResult { Printed, Cancelled, Failed };

// Lays the blocks out on the printer's pages, 300 twips from the left edge,
// lines too long for the page carried over, and prints them.
PrintResult printBlocks(QPrinter& printer, const QString& fontFamily,
                        const std::vector<PrintBlock>& blocks);

} // namespace brelune
