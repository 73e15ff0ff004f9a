// ReportPrinter: sends a report's text to the default printer.
#pragma once

#include <QString>
#include <vector>

namespace brelune {

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

} // namespace brelune
