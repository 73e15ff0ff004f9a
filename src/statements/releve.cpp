#include "statements/releve.h"

#include "input/payment.h"
#include "platform/look.h"
#include "register/register_line.h"
#include "statements/matching.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

namespace brelune {

namespace {

enum Column { Check, Date, Label, Amount, Book, Payment, Columns };
const QString kApplyCaption = QStringLiteral("Pointage du relevé");

// Where a browser leaves the files it fetches, else the home folder.
QString downloadFolder() {
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return QFileInfo(downloads).isDir() ? downloads : QDir::homePath();
}

QTableWidgetItem* item(const QString& text, Qt::ItemFlags flags) {
    auto* it = new QTableWidgetItem(text);
    it->setFlags(flags);
    return it;
}

} // namespace

std::optional<std::pair<QString, Statement>> Releve::chooseStatement(RunContext& ctx) {
    const QString path = ctx.dialogs.openFile(
        QStringLiteral("Choisir un relevé bancaire"),
        QStringLiteral("Relevés bancaires (*.ofx *.qfx *.qif *.csv *.txt);;Tous les fichiers (*)"),
        QString(), downloadFolder());
    if (path.isEmpty())
        return std::nullopt;
    try {
        return std::pair(path, readStatement(path));
    } catch (const StatementError& e) {
        ctx.dialogs.message(QStringLiteral("Le relevé « %1 » ne peut pas être lu : %2.")
                                .arg(QFileInfo(path).fileName(), e.reason()),
                            QStringLiteral("Relevé bancaire"), Icon::Critical, Buttons::Ok);
        return std::nullopt;
    }
}

Releve::Releve(RunContext& context, const QString& path, Statement statement)
    : ctx_(context), fileName_(QFileInfo(path).fileName()), statement_(std::move(statement)) {
    setObjectName(QStringLiteral("Releve"));
    setWindowTitle(QStringLiteral("Relevé bancaire"));
    setWindowFlags(kSideWindowFlags);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(820, 480);

    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setWordWrap(true);
    table1_ = new QTableWidget(0, Columns, this);
    table1_->setObjectName(QStringLiteral("Table1"));
    table1_->setAccessibleName(QStringLiteral("Lignes du relevé"));
    table1_->setHorizontalHeaderLabels({QStringLiteral("Pointer"), QStringLiteral("Date"),
                                        QStringLiteral("Libellé"), QStringLiteral("Montant"),
                                        QStringLiteral("Opération du livre"),
                                        QStringLiteral("Payement")});
    table1_->verticalHeader()->hide();
    table1_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table1_->setSelectionMode(QAbstractItemView::SingleSelection);
    table1_->setTabKeyNavigation(false); // Tab leaves the table for the buttons
    table1_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    table1_->horizontalHeader()->setSectionResizeMode(Label, QHeaderView::Stretch);
    table1_->horizontalHeader()->setSectionResizeMode(Book, QHeaderView::Stretch);
    table1_->installEventFilter(this);
    connect(table1_, &QTableWidget::itemChanged, this, &Releve::paymentEdited);
    label2_ = new QLabel(this);
    label2_->setObjectName(QStringLiteral("Label2"));
    command1_ = new QPushButton(QStringLiteral("Pointer la sélection"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    connect(command1_, &QPushButton::clicked, this, &Releve::Command1_Click);
    pressedByEnter(command1_);
    command2_ = new QPushButton(QStringLiteral("Sortir du relevé"), this);
    command2_->setObjectName(QStringLiteral("Command2"));
    connect(command2_, &QPushButton::clicked, this, &Releve::Command2_Click);
    pressedByEnter(command2_);
    closedByEscape(this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(label2_, 1);
    buttons->addWidget(command1_);
    buttons->addWidget(command2_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1_);
    layout->addWidget(table1_, 1);
    layout->addLayout(buttons);
}

void Releve::Form_Load() {
    RegisterData book;
    QHash<QString, QDate> applied;
    try {
        AccountDb db(ctx_.chemin_base);
        book = db.readRegister();
        applied = db.appliedStatementLines();
    } catch (const AccountDbError& e) {
        ctx_.showDbProblem(e, false);
        close();
        return;
    }
    bancaire_ = book.soldes && book.soldes->bancaire ? *book.soldes->bancaire : Money();
    const std::vector<QString> ids = lineIdentities(statement_);
    std::vector<bool> skip;
    for (const QString& id : ids)
        skip.push_back(applied.contains(id));
    const auto match = matchStatement(statement_.lines, skip, book.operations);
    rows_.clear();
    for (std::size_t i = 0; i < ids.size(); ++i) {
        Row& row = rows_.emplace_back();
        row.identity = ids[i];
        if (skip[i])
            row.appliedOn = applied.value(ids[i]);
        else if (match[i])
            row.operation = book.operations.at(*match[i]);
    }
    fill();
    if (!isVisible()) {
        centreOnScreen(this);
        show();
        centreOnScreen(this); // again, now that the frame is known
        activateWindow();
    }
    table1_->setFocus();
}

void Releve::fill() {
    const Locale& locale = ctx_.locale;
    QString header = QStringLiteral("Relevé « %1 »").arg(fileName_);
    if (!statement_.lines.empty()) {
        auto [first, last] = std::minmax_element(
            statement_.lines.begin(), statement_.lines.end(),
            [](const StatementLine& a, const StatementLine& b) { return a.date < b.date; });
        header += QStringLiteral(" du %1 au %2")
                      .arg(locale.formatDate(first->date), locale.formatDate(last->date));
    }
    if (statement_.closing)
        header += QStringLiteral(" ; solde au %1 : %2")
                      .arg(locale.formatDate(statement_.closingDate),
                           statement_.closing->euros(locale.decimal()));
    label1_->setText(header);

    const QSignalBlocker quiet(table1_);
    table1_->setRowCount(int(rows_.size()));
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const StatementLine& line = statement_.lines[i];
        const Row& row = rows_[i];
        const int r = int(i);
        const Qt::ItemFlags shown = row.appliedOn ? Qt::ItemFlags{Qt::ItemIsSelectable}
                                                  : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        auto* check = item(QString(), row.appliedOn ? shown : shown | Qt::ItemIsUserCheckable);
        if (!row.appliedOn)
            check->setCheckState(row.operation ? Qt::Checked : Qt::Unchecked);
        table1_->setItem(r, Check, check);
        table1_->setItem(r, Date, item(locale.formatDate(line.date), shown));
        table1_->setItem(r, Label, item(line.label, shown));
        auto* amount = item(line.amount.euros(locale.decimal()), shown);
        amount->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table1_->setItem(r, Amount, amount);
        const QString book =
            row.appliedOn
                ? QStringLiteral("déjà pointée le %1").arg(locale.formatDate(*row.appliedOn))
            : row.operation ? registerLineBody(*row.operation, locale)
                            : QStringLiteral("à saisir");
        table1_->setItem(r, Book, item(book, shown));
        // Money coming in is always RENT; the payment of money going out is the user's to mend.
        const bool toEnter = !row.appliedOn && !row.operation;
        const bool editable = toEnter && line.amount <= Money();
        table1_->setItem(r, Payment,
                         item(toEnter ? keptPayment(proposedPayment(line), locale) : QString(),
                              editable ? shown | Qt::ItemIsEditable : shown));
    }
    for (const int column : {Check, Date, Amount})
        table1_->resizeColumnToContents(column);
    // The keyboard starts on the first row still to apply.
    const auto first =
        std::find_if(rows_.begin(), rows_.end(), [](const Row& row) { return !row.appliedOn; });
    if (first != rows_.end())
        table1_->setCurrentCell(int(first - rows_.begin()), Check);
    showSummary();
}

bool Releve::checked(std::size_t row) const {
    const QTableWidgetItem* it = table1_->item(int(row), Check);
    return !rows_[row].appliedOn && it && it->checkState() == Qt::Checked;
}

Money Releve::checkedTotal() const {
    Money total = bancaire_;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (checked(i))
            total = total.plus(statement_.lines[i].amount).value_or(total);
    return total;
}

void Releve::showSummary() {
    int count = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        count += checked(i);
    const QChar decimal = ctx_.locale.decimal();
    label2_->setText(
        QStringLiteral("Lignes cochées : %1. Solde bancaire : %2 ; après pointage : %3")
            .arg(QString::number(count), bancaire_.euros(decimal), checkedTotal().euros(decimal)));
}

// A payment typed in a row is kept as the main window keeps it: no
// surrounding blanks, upper case, five characters at most.
void Releve::paymentEdited(QTableWidgetItem* changed) {
    if (changed->column() == Payment) {
        const QSignalBlocker quiet(table1_);
        changed->setText(keptPayment(changed->text(), ctx_.locale));
    }
    showSummary();
}

void Releve::Command1_Click() {
    std::vector<StatementRecord> records;
    qsizetype marked = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (!checked(i))
            continue;
        const StatementLine& line = statement_.lines[i];
        const QString payment = table1_->item(int(i), Payment)->text();
        records.push_back(
            {rows_[i].identity, line.date, line.amount, line.label, rows_[i].operation, payment});
        marked += rows_[i].operation.has_value();
        // A line entered needs its payment, as one typed in the main window does.
        const QString fault = rows_[i].operation ? QString()
                              : payment.isEmpty()
                                  ? QStringLiteral("vous n'avez pas rentré de payement !")
                              : payment == QLatin1String("RENT") && line.amount < Money()
                                  ? QStringLiteral("le payement RENT est celui des rentrées "
                                                   "d'argent !")
                                  : QString();
        if (!fault.isEmpty()) {
            ctx_.dialogs.message(QStringLiteral("Ligne du %1, « %2 » : %3")
                                     .arg(ctx_.locale.formatDate(line.date), line.label, fault),
                                 QStringLiteral("Et le payement !"), Icon::Critical, Buttons::Ok);
            table1_->setCurrentCell(int(i), Payment);
            table1_->setFocus();
            return;
        }
    }
    if (records.empty()) {
        ctx_.dialogs.message(QStringLiteral("Aucune ligne du relevé n'est cochée."), kApplyCaption,
                             Icon::Exclamation, Buttons::Ok);
        return;
    }
    const QChar decimal = ctx_.locale.decimal();
    const QString question =
        QStringLiteral("Pointer %1 opérations et saisir %2 lignes du relevé ?\r\nLe solde "
                       "bancaire passera de %3 à %4.")
            .arg(QString::number(marked), QString::number(qsizetype(records.size()) - marked),
                 bancaire_.euros(decimal), checkedTotal().euros(decimal));
    if (ctx_.dialogs.message(question, kApplyCaption, Icon::Question, Buttons::YesNo) !=
        Answer::Yes)
        return;
    try {
        AccountDb(ctx_.chemin_base).applyStatement(records, ctx_.clock.today());
    } catch (const AccountDbError& e) {
        ctx_.showDbProblem(e, true);
        Form_Load(); // the book as it now stands
        return;
    }
    Form_Load();
    if (!leaving_)
        compareWithClosing();
}

void Releve::compareWithClosing() {
    if (!statement_.closing)
        return;
    const QChar decimal = ctx_.locale.decimal();
    const QString day = ctx_.locale.formatDate(statement_.closingDate);
    const Money closing = *statement_.closing;
    if (bancaire_ == closing) {
        ctx_.dialogs.message(QStringLiteral("Le solde bancaire est celui du relevé du %1 : %2.")
                                 .arg(day, closing.euros(decimal)),
                             QStringLiteral("Solde du relevé"), Icon::Information, Buttons::Ok);
        return;
    }
    const auto gap = bancaire_.minus(closing);
    ctx_.dialogs.message(
        QStringLiteral("Le solde bancaire (%1) n'est pas celui du relevé du %2 (%3) : écart de %4.")
            .arg(bancaire_.euros(decimal), day, closing.euros(decimal),
                 gap ? gap->euros(decimal) : QStringLiteral("?")),
        QStringLiteral("Solde du relevé"), Icon::Exclamation, Buttons::Ok);
}

// Space checks or unchecks the current row, whichever of its cells has the focus.
bool Releve::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table1_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) { // an open editor takes its own
        QTableWidgetItem* check = table1_->item(table1_->currentRow(), Check);
        if (check && (check->flags() & Qt::ItemIsUserCheckable))
            check->setCheckState(check->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Releve::Command2_Click() {
    close();
}

void Releve::closeEvent(QCloseEvent* event) {
    event->accept();
    if (leaving_)
        return;
    leaving_ = true;
    hide(); // first, so that the main window comes back in its place
    emit leaving();
}

} // namespace brelune
