// The spending categories: the store over ptconte.ini, the summary text, and the window with its
// allotting and renaming, opened from the main window.
#include "allocation/ventil_store.h"
#include "allocation/ventilation.h"
#include "app/frmcompte.h"
#include "platform/twips.h"
#include "support.h"
using namespace brelune;
using namespace brelune::test;

const QString kAmount = "Montant à ventiller";

// The section of a key "montant(2)", "texo(9)" or "datdebu(0)", and the key's stored value.
static QString sectionOf(const QString& key) {
    return key[0] == 'm' ? "montant_par_ventil" : key[0] == 't' ? "venti" : "date_de_debut";
}
static QString stored(const TestRun& run, const QString& key) {
    return ProfileFile(run.iniPath()).read(sectionOf(key), key).value_or("(absent)");
}

// The main window and the allocation window opened from it, on a new book.
struct Visit : Book {
    explicit Visit(const QString& edits = {}) // "key=value;..." written into ptconte.ini first
        : Book([&](TestRun& run) {
              run.createBook();
              for (const QString& e : edits.split(';', Qt::SkipEmptyParts))
                  ProfileFile(run.iniPath())
                      .write(sectionOf(e), e.section('=', 0, 0), e.section('=', 1));
          }) {
        open();
    }
    void open() { menu("mencomptventil"); }
    // Steps on the window: "yes" or "no" answers the next question; "o2" clicks Option1(2);
    // "a text" types an amount and clicks "C'est bon"; "r text" types a name and clicks "O.K.";
    // "A text" and "R text" press Enter, and keypad Enter, on the button instead.
    void play(const QString& steps) {
        for (const QString& step : steps.split('|')) {
            const QString text = step.mid(2);
            const QChar kind = step[0].toLower();
            if (step == "yes" || step == "no")
                dialogs.script({step});
            else if (kind == 'o')
                QTest::mouseClick(in(QString("Option1_%1").arg(step.mid(1))), Qt::LeftButton);
            else if (kind == 'a')
                QTest::keyClicks(in("Text1"), text);
            else // no filter on names: any text, pasted or typed
                in<QLineEdit>("Text2")->setText(text);
            QWidget* button = in(kind == 'a' ? "Command1" : "Command2");
            if (step[0] == 'a' || step[0] == 'r')
                QTest::mouseClick(button, Qt::LeftButton);
            else if (step[0] == 'A' || step[0] == 'R') {
                button->setFocus();
                QTest::keyClick(button, kind == 'a' ? Qt::Key_Return : Qt::Key_Enter,
                                kind == 'a' ? Qt::NoModifier : Qt::KeypadModifier);
            }
        }
    }
    Ventilation* w() const { return frame.ventilation(); }
    template <typename T = QWidget> T* in(const QString& name) const { return child<T>(w(), name); }
};

// Each row: "key=value;..." written into ptconte.ini first, the steps played on the window, the
// dialogs shown, stored values afterwards.
struct Flow {
    QString edits, steps;
    QStringList dialogs;
    QString stored;
};

class TestAllocation : public QObject {
    Q_OBJECT
private slots:
    // Each row: the stored texts (name|start date|total), then the months and the filled total.
    void summary_data() {
        QTest::addColumn<QString>("r");
        row<QString>("98 days", "Viande|29/08/2003|125|3,27|__125,00 €");
        row<QString>("45 days", "a|21/10/2003|12.5|1,50|___12,50 €");
        row<QString>("today, -0.004", "b|05/12/2003|-0,004|0,00|____0,00 €");
        row<QString>("future", "c|20/12/2003|-2|-0,50|___-2,00 €");
        row<QString>("rounded as written", "f|05/12/2003|1.005|0,00|____1,01 €");
        row<QString>("too large to write back", "g|05/12/2003|1e15|0,00|_illisible");
        row<QString>("written 1e15 once rounded", "h|05/12/2003|999999999999999.5|0,00|_illisible");
        row<QString>("largest", "i|05/12/2003|999999999999999.4|0,00|999999999999999,00 €");
        row<QString>("exponent", "j|05/12/2003|-1,5E-250|0,00|____0,00 €");
        row<QString>("no fill", "|05/12/2003|1234567.891|0,00|1234567,89 €");
        row<QString>("unreadable", "Default|Default|Default|?|_illisible");
        row<QString>("empty", "d|||?|____0,00 €");
        row<QString>("en", "e|10/21/2003|1,5e2|1.50|__150.00 €");
    }
    void summary() {
        QFETCH(QString, r);
        const QStringList f = r.split('|');
        QCOMPARE(statText({{f[0], f[1], f[2]}}, QDate(2003, 12, 5), TestRun::tagLocale()),
                 "\r\n     Montant des dépenses ventilées par poste :\r\n\r\n     En " + f[3] +
                     " mois, dépense de " + f[4] + " pour : " + f[0] + "     \r\n");
    }

    void flows_data() {
        QTest::addColumn<Flow>("f");
        auto flow = [](const char* tag, const char* edits, const QString& steps,
                       const QStringList& dialogs, const char* stored) {
            row<Flow>(tag, {edits, steps, dialogs, stored});
        };
        auto ask = [](const QString& what, const char* category) {
            return msg("confirmation", "none", "YesNo",
                       "Affecter : " + what + " € à la ventilation : " + category);
        };
        auto rename = [](const QString& what, const char* category) {
            return msg("confirmation", "exclamation", "YesNo",
                       "Affecter : " + what + " à la ventilation : " + category +
                           "\r\nAttention : toute modification entraine la remise à 0 du compte !");
        };
        auto tell = [](const char* text) { return msg(kAmount, "exclamation", "OK", text); };
        flow("0,00", "", "a 0,00", {msg(kAmount, "none", "OK", "montant nul")}, "montant(0)=0");
        flow("1,5,5 before any option", "", "yes|a 1,5,5", {ask("1,5", "gas - oil")},
             "montant(0)=1,5");
        flow("Enter on the button", "", "yes|A 1.25", {ask("1,25", "gas - oil")},
             "montant(0)=1,25");
        flow("-5 below zero", "montant(3)=2.5", "yes|o3|a -5", {ask("-5", "Huile")},
             "montant(3)=-2,5");
        flow("answered No", "montant(2)=3", "no|o2|a 12.5", {ask("12,5", "Viande")},
             "montant(2)=3");
        flow("Enter refused", "", "no|a 5\r",
             {tell("Seul les chiffres sont permis !"), ask("5", "gas - oil")}, "montant(0)=0");
        flow("unreadable total, before asking", "montant(0)=Default", "a 1",
             {tell("Le total de cette ventilation est illisible dans ptconte.ini : renommez-la "
                   "pour la remettre à 0.")},
             "montant(0)=Default");
        flow("total too large", "montant(0)=999999999999999", "yes|a 1",
             {ask("1", "gas - oil"), tell("Le total de cette ventilation deviendrait trop grand "
                                          "pour être enregistré !")},
             "montant(0)=999999999999999");
        flow("amount too large", "", "a 1000000000000000",
             {tell("Ce montant est trop grand pour être ventilé !")}, "montant(0)=0");
        flow("15 characters", "montant(9)=4;datdebu(9)=01/01/2003", "yes|o9|r Loisirs du soir",
             {rename("Loisirs du soir", "Manu")},
             "texo(9)=Loisirs du soir;montant(9)=0;datdebu(9)=05/12/2003");
        flow("same name, before any option", "montant(0)=4;datdebu(0)=01/01/2003",
             "yes|r gas - oil", {rename("gas - oil", "gas - oil")},
             "texo(0)=gas - oil;montant(0)=0;datdebu(0)=05/12/2003");
        flow("blanks kept, keypad Enter on the button", "", "yes|R  Loisirs ",
             {rename(" Loisirs ", "gas - oil")}, "texo(0)= Loisirs ");
        flow("a name with &", "", "yes|r Fruits & co|yes|a 1",
             {rename("Fruits & co", "gas - oil"), ask("1", "Fruits & co")}, "texo(0)=Fruits & co");
        flow("renaming answered No", "montant(2)=4", "no|o2|r Viandes",
             {rename("Viandes", "Viande")}, "texo(2)=Viande;montant(2)=4");
        for (const char* name : {"Loisirs du soir!", "Ωmega", ""})
            flow(qPrintable("refused \"" + QString(name) + '"'), "", QString("r ") + name,
                 {msg("", "none", "OK", "Texte de ventilation non conforme !")},
                 "texo(0)=gas - oil");
    }
    void flows() {
        QFETCH(Flow, f);
        Visit v(f.edits);
        v.play(f.steps);
        QCOMPARE(v.shown(), f.dialogs);
        for (const QString& kv : f.stored.split(';'))
            QCOMPARE(kv.section('=', 0, 0) + '=' + stored(v, kv.section('=', 0, 0)), kv);
        QVERIFY(v.in<QLineEdit>("Text1")->text().isEmpty() &&
                v.in<QLineEdit>("Text2")->text().isEmpty());
        // The window shows what the file holds.
        const std::vector<VentilTexts> all = read_ventil(v.ctx);
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(v.in<QRadioButton>(QString("Option1_%1").arg(i))->text(),
                     QString(all[std::size_t(i)].name).replace("&", "&&")); // no shortcut mark
        }
        QCOMPARE(v.in<QLabel>("Label3")->text(), statText(all, QDate(2003, 12, 5), v.ctx.locale));
    }

    void window() {
        Visit v;
        QVERIFY(!v.frame.isVisible() && v.w()->isVisible());
        QCOMPARE(v.w()->windowTitle() + '|' + v.w()->focusWidget()->objectName(),
                 "ventilation|Text1");
        QCOMPARE(v.in("Label2")->size(), v.in("Label2")->sizeHint()); // sized to its two lines
        QCOMPARE(v.w()->palette().color(QPalette::Window), QColor(255, 255, 192));
        const QImage option = v.in("Option1_9")->grab().toImage(); // "Manu" ends far from the edge
        QCOMPARE(option.pixelColor(option.width() - 1, option.height() / 2), QColor(255, 255, 192));
        QCOMPARE(v.in("Text2")->palette().color(QPalette::Base), QColor(192, 255, 255));
        // Fitted around the summary.
        const QWidget* label3 = v.in("Label3");
        QCOMPARE(v.w()->centralWidget()->width(), label3->geometry().right() + 1 + twips(150));
        QCOMPARE(v.in("Image1_2")->width(), v.w()->centralWidget()->width());
        QVERIFY(v.w()->centralWidget()->height() > v.in("Frame1")->geometry().bottom());
        // Sized with the blanks that end its lines.
        const QFontMetrics metrics(label3->font());
        for (const QString& line : v.in<QLabel>("Label3")->text().split("\r\n"))
            QVERIFY(label3->contentsRect().width() >= metrics.horizontalAdvance(line));
        // The option buttons are one stop of the tab order, the chosen one.
        auto tabs = [&] {
            v.in("Text1")->setFocus();
            QStringList stops;
            while (stops.size() < 6) {
                stops << v.w()->focusWidget()->objectName();
                QTest::keyClick(v.w()->focusWidget(), Qt::Key_Tab);
            }
            return stops.join(' ');
        };
        QCOMPARE(tabs(), "Text1 Command1 Text2 Command2 Option1_0 Text1");
        // The arrows move within the group, and choose (in the active window, once shown).
        QCoreApplication::processEvents();
        v.in("Option1_0")->setFocus();
        QTest::keyClick(v.in("Option1_0"), Qt::Key_Down);
        QCOMPARE(v.w()->focusWidget()->objectName() + ' ' + QString::number(v.w()->num_ventil()),
                 "Option1_1 1");

        // A user allots 12,50 to Viande and -2 to Huile, renames Manu, and comes back.
        v.play("yes|o2|a 12,50|yes|o3|a -2|yes|o9|r Loisirs");
        QVERIFY(v.w()->close());
        QVERIFY(v.frame.isVisible() && !v.w()->isVisible());
        v.open();
        for (const char* line : {"de ___12,50 € pour : Viande ", "de ___-2,00 € pour : Huile ",
                                 "de ____0,00 € pour : Loisirs "})
            QVERIFY(v.in<QLabel>("Label3")->text().contains(line));
        QCOMPARE(stored(v, "montant(2)") + ' ' + stored(v, "montant(3)") + ' ' +
                     stored(v, "texo(9)"),
                 "12,5 -2 Loisirs");
        QVERIFY(v.in<QRadioButton>("Option1_9")->isChecked()); // the category chosen last
        QCOMPARE(tabs(), "Text1 Command1 Text2 Command2 Option1_9 Text1");
        // Printed as the summary was last built; the help is the program's.
        child<QAction>(v.w(), "menimprim")->trigger();
        child<QAction>(v.w(), "menu_aide")->trigger();
        QCOMPARE(v.printer.jobs.value(0),
                 QStringList({"courier New",
                              "10|\r\n\r\n     Données fournies par BRELUNE le 05/12/2003\r\n\r\n" +
                                  v.in<QLabel>("Label3")->text() + "\r\n",
                              "6|     BRELUNE, décembre 02"}));
        QCOMPARE(v.help.shown, QStringList{v.dir.path() + "/brelune.hlp"});
        // A renaming that the disk cannot take is told, and the name on screen stays.
        v.shown();
        {
            const SmallFileLimit full(4);
            v.play("yes|r Fruits");
        }
        QCOMPARE(v.shown().value(1),
                 msg("BRELUNE", "critical", "OK",
                     "Le fichier « $DIR/ptconte.ini » ne peut pas être écrit : le fichier dépasse "
                     "la taille permise.\r\nRien n'a été enregistré."));
        QCOMPARE(v.in<QRadioButton>("Option1_9")->text(), "Loisirs");
        child<QAction>(v.w(), "mnquit")->trigger();
        QVERIFY(v.frame.isVisible() && !v.w()->isVisible());
    }
};

QTEST_MAIN(TestAllocation)
#include "test_allocation.moc"
