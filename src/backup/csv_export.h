// The book exported for a French spreadsheet: the outstanding operations, the
// balances with their verdict and the ten categories, as one CSV file.
#pragma once

#include "allocation/ventil_store.h"
#include "platform/account_db.h"
#include "platform/run_context.h"

#include <QByteArray>
#include <vector>

namespace brelune {

// The file's bytes: UTF-8 after a byte-order mark, ";" between fields, a
// decimal comma, "\r\n" after every row. The operations in the order given,
// then the balances and the verdict (empty fields when the book has no
// Soldes row), then the categories. A text a spreadsheet would run as a
// formula starts with an apostrophe; an amount never does.
QByteArray bookCsv(const RegisterData& data, const std::vector<VentilTexts>& categories);

// The command: reads the book and the categories, asks where to write the
// file, and writes it whole or not at all. Any failure is told and leaves
// nothing under the chosen name.
void exportBookCsv(const RunContext& ctx);

} // namespace brelune
