// Dialogs: every modal question the program asks the user goes through here,
// so that a run can be scripted in tests.
#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace brelune {

enum class Icon { None, Exclamation, Question, Critical, Information };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Line breaks in text are written "\r\n". An empty caption shows "BRELUNE".
    virtual Answer message(const QString& text, const QString& caption, Icon icon,
                           Buttons buttons) = 0;
    // The typed text, or nothing when the box is cancelled.
    virtual std::optional<QString> input(const QString& prompt, const QString& title,
                                         const QString& defaultText) = 0;
    // An existing file whose name matches pattern; empty when cancelled. With
    // no pattern, filterName is the whole filter list ("Name (*.a);;Other (*)").
    virtual QString openFile(const QString& title, const QString& filterName,
                             const QString& pattern, const QString& initialDir) = 0;
    // The index of the item chosen in a list, or nothing when cancelled. An
    // item not enabled is shown but cannot be chosen.
    virtual std::optional<int> choose(const QString& prompt, const QString& title,
                                      const QStringList& items, const QList<bool>& enabled) = 0;
    // A path to write to, with the pattern's extension when the name typed
    // had none; empty when cancelled. Whether to replace a file of that name
    // is the caller's question.
    virtual QString saveFile(const QString& title, const QString& filterName,
                             const QString& pattern, const QString& initialDir) = 0;
};

// Where the user saves a new document: the save dialog opens on
// "BRELUNE <today's ISO date>.<extension>" in his documents folder (his home
// when he has none); a name typed without the extension gets it, and a file
// of that name is replaced only when he says so, asked under caption. Empty
// when he cancels or keeps the file.
QString askSavePath(Dialogs& dialogs, const QString& caption, const QString& title,
                    const QString& filterName, const QString& extension, QDate today);

// Makes Qt's own buttons and dialogs speak French ("Oui", "Non", "Annuler");
// false when the translation is not installed.
bool installQtFrench();

// The real dialogs, modal over the active window.
class QtDialogs : public Dialogs {
public:
    Answer message(const QString& text, const QString& caption, Icon icon,
                   Buttons buttons) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    QString openFile(const QString& title, const QString& filterName, const QString& pattern,
                     const QString& initialDir) override;
    QString saveFile(const QString& title, const QString& filterName, const QString& pattern,
                     const QString& initialDir) override;
    std::optional<int> choose(const QString& prompt, const QString& title, const QStringList& items,
                              const QList<bool>& enabled) override;
};

} // namespace brelune
