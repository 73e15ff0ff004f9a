#include "platform/dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTranslator>
#include <QVBoxLayout>

namespace brelune {

namespace {

QString displayed(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString titleOrProgram(const QString& caption) {
    return caption.isEmpty() ? QStringLiteral("BRELUNE") : caption;
}

QString qtFilter(const QString& name, const QString& pattern) {
    return pattern.isEmpty() ? name : name + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

} // namespace

QString askSavePath(Dialogs& dialogs, const QString& caption, const QString& title,
                    const QString& filterName, const QString& extension, QDate today) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QString suffix = u'.' + extension;
    // A file path: the dialog opens on its folder with the name proposed.
    QString path = dialogs.saveFile(title, filterName, u'*' + suffix,
                                    folder + QStringLiteral("/BRELUNE ") +
                                        today.toString(QStringLiteral("yyyy-MM-dd")) + suffix);
    if (path.isEmpty())
        return path;
    if (!path.endsWith(suffix, Qt::CaseInsensitive))
        path += suffix;
    if (QFileInfo::exists(path) &&
        dialogs.message(QStringLiteral("Le fichier « %1 » existe déjà.\r\n"
                                       "Voulez-vous le remplacer ?")
                            .arg(path),
                        caption, Icon::Question, Buttons::YesNo) != Answer::Yes)
        return {};
    return path;
}

bool installQtFrench() {
    auto* french = new QTranslator(qApp);
    if (!french->load(QStringLiteral("qtbase_fr"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete french;
        return false;
    }
    return QCoreApplication::installTranslator(french);
}

Answer QtDialogs::message(const QString& text, const QString& caption, Icon icon, Buttons buttons) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(titleOrProgram(caption));
    box.setText(displayed(text));
    box.setTextFormat(Qt::PlainText);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

std::optional<QString> QtDialogs::input(const QString& prompt, const QString& title,
                                        const QString& defaultText) {
    QInputDialog box(QApplication::activeWindow());
    box.setWindowTitle(titleOrProgram(title));
    box.setLabelText(displayed(prompt));
    box.setTextValue(defaultText);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

QString QtDialogs::openFile(const QString& title, const QString& filterName, const QString& pattern,
                            const QString& initialDir) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, initialDir,
                                        qtFilter(filterName, pattern), nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

std::optional<int> QtDialogs::choose(const QString& prompt, const QString& title,
                                     const QStringList& items, const QList<bool>& enabled) {
    QDialog box(QApplication::activeWindow());
    box.setWindowTitle(titleOrProgram(title));
    auto* label = new QLabel(displayed(prompt), &box);
    auto* list = new QListWidget(&box);
    label->setBuddy(list);
    for (qsizetype i = 0; i < items.size(); ++i) {
        auto* item = new QListWidgetItem(items[i], list);
        if (!enabled.value(i))
            item->setFlags(Qt::NoItemFlags);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
    const auto chosen = [list] {
        const QListWidgetItem* item = list->currentItem();
        return item && (item->flags() & Qt::ItemIsEnabled) && item->isSelected();
    };
    const auto update = [=] { buttons->button(QDialogButtonBox::Ok)->setEnabled(chosen()); };
    QObject::connect(list, &QListWidget::itemSelectionChanged, &box, update);
    QObject::connect(list, &QListWidget::itemActivated, &box, [&] {
        if (chosen())
            box.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->flags() & Qt::ItemIsEnabled) {
            list->setCurrentRow(i); // the newest that can be chosen
            break;
        }
    update();
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(label);
    layout->addWidget(list);
    layout->addWidget(buttons);
    box.resize(560, 320);
    if (box.exec() != QDialog::Accepted || !chosen())
        return std::nullopt;
    return list->currentRow();
}

QString QtDialogs::saveFile(const QString& title, const QString& filterName, const QString& pattern,
                            const QString& initialDir) {
    QFileDialog box(QApplication::activeWindow(), title, initialDir, qtFilter(filterName, pattern));
    box.setOption(QFileDialog::DontUseNativeDialog);
    box.setAcceptMode(QFileDialog::AcceptSave);
    // The caller asks whether to replace a file, once, about the name it
    // will really write.
    box.setOption(QFileDialog::DontConfirmOverwrite);
    if (pattern.startsWith(QStringLiteral("*.")))
        box.setDefaultSuffix(pattern.mid(2));
    return box.exec() == QDialog::Accepted ? box.selectedFiles().value(0) : QString();
}

} // namespace brelune
