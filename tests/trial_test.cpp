// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTest>
#include <array>
#include <cmath>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "ScriptedLetters.h"
#include "trial/RandomSource.h"
#include "trial/Trial.h"

using namespace kavrel;
using namespace std::chrono_literals;
using kavrel::testing::ScriptedLetters;

namespace {

// Spelled out by code point, so that a look-alike comma or quotation mark fails.
const QString StartText = QStringLiteral("点击\u201C开始\u201D\uFF0C记住显示的每个字母");
const QString RecallText = QStringLiteral("凭记忆\uFF0C依次输入刚才显示的字母");
const QString CorrectText = QStringLiteral("输入正确\uFF0C继续下一步测试");
const QString WrongText = QStringLiteral("输入错误\uFF0C回车重新进行当前步测试");
const QString HeadingText = QStringLiteral("正确的字母序列应为\uFF1A");

// Phases to bring the first trial into, besides a number of ticks after Start.
constexpr int BeforeStart = -1;
constexpr int AfterWrongAnswer = -2;

// Draws the same number every time.
struct FixedRandom : RandomSource {
    explicit FixedRandom(double r) : r(r) {}
    void Randomize() override {}
    double Rnd() override { return r; }
    double r;
};

// A loaded window's trial over scripted letters, with time moved by hand, and readings of its
// state that compare in one line and print readably.
struct Session {
    explicit Session(int count = 3, std::string script = "KPBMZQWXJTRLHGFDSNCVYEUAOIKPBMZQWX")
        : letters(std::move(script)) {
        trial.Form_Load();
        trial.Option_Click(count - 2);
    }

    static QString text(const std::string& s) { return QString::fromStdString(s); }
    // Letters as one word, a dot for each empty one.
    static QString word(const std::vector<std::string>& letters) {
        QString out;
        for (const std::string& s : letters) {
            out += s.empty() ? QString(".") : text(s);
        }
        return out;
    }
    // Loaded cells as "caption left,top"; hidden ones show their caption only, in brackets.
    static QStringList row(const ControlArray& cells) {
        QStringList out;
        for (int i = 0; i < cells.UpperBound(); ++i) {
            const LetterCell& c = cells[i];
            out << (c.Visible
                        ? QStringLiteral("%1 %2,%3").arg(text(c.Caption)).arg(c.Left).arg(c.Top)
                        : QStringLiteral("(%1)").arg(text(c.Caption)));
        }
        return out;
    }
    // The row as it should stand: a visible cell per letter of the word, from Left 20 by 70.
    static QStringList rowOf(const QString& word, int top) {
        QStringList out;
        for (int i = 0; i < word.size(); ++i) {
            const QString caption = word[i] == '.' ? QString() : word.mid(i, 1);
            out << QStringLiteral("%1 %2,%3").arg(caption).arg(20 + 70 * i).arg(top);
        }
        return out;
    }

    const Form& form() const { return trial.form(); }
    const TrialVariables& vars() const { return trial.variables(); }
    QString phase() const {
        const Form& f = form();
        return f.Timer1.Enabled()      ? "presentation"
               : f.Timer2.Enabled()    ? "pause"
               : f.tmrCursor.Enabled() ? "recall"
                                       : "idle";
    }
    std::int64_t due() const { return trial.NextDue().value_or(Time{-1}).count(); }
    // Letters of the running presentation that are on screen.
    int shown() const { return form().lblLetter[0].Visible ? form().lblLetter.UpperBound() : 0; }

    // value() throws when no timer runs, which fails the test instead of hanging it.
    void tick() { trial.AdvanceTo(trial.NextDue().value()); }
    void toRecall() {
        while (!form().tmrCursor.Enabled()) {
            tick();
        }
    }
    void type(const QString& keys) {
        for (uint key : keys.toUcs4()) {
            trial.Form_KeyPress(key);
        }
    }
    // Types the rest of the answer; a wrong one differs in its last letter only.
    void answer(bool correct) {
        const std::vector<std::string> target = vars().TargetLetters;
        for (std::size_t i = vars().InputPos; i < target.size(); ++i) {
            const char letter = target[i][0];
            const bool spoil = !correct && i + 1 == target.size();
            trial.Form_KeyPress(spoil ? (letter == 'A' ? 'B' : 'A') : letter);
        }
    }
    void enter(int phase) {
        if (phase == BeforeStart) {
            return;
        }
        trial.cmdStart_Click();
        if (phase == AfterWrongAnswer) {
            toRecall();
            answer(false);
        }
        for (int i = 0; i < phase; ++i) {
            tick();
        }
    }
    void recordCells() {
        trial.SetCellListener([this](bool wrongRow, int index, bool loaded) {
            cells << QString("%1%2(%3)")
                         .arg(loaded ? "+" : "-", wrongRow ? "lblLetterWrong" : "lblLetter")
                         .arg(index);
        });
    }

    ScriptedLetters letters;
    Trial trial{letters};
    QStringList cells;
};

void addPhases() {
    QTest::addColumn<int>("phase");
    QTest::addRow("before the first trial") << BeforeStart;
    QTest::addRow("right after Start") << 0;
    QTest::addRow("with two letters shown") << 2;
    QTest::addRow("in the pause") << 3;
    QTest::addRow("in the recall") << 4;
    QTest::addRow("after a wrong answer") << AfterWrongAnswer;
}

}  // namespace

class TrialTest : public QObject {
    Q_OBJECT

private slots:
    void startUpLeavesTheTrialIdleWithItsDefaults() {
        ScriptedLetters none;
        Trial trial(none);
        trial.Form_Load();
        const Form& f = trial.form();
        QCOMPARE(Session::text(f.Label1), StartText);
        QVERIFY(f.Label3.empty() && f.dui.empty() && f.cuo.empty() && f.cmdStart.Enabled);
        TrialVariables loaded;  // all zero and empty
        loaded.LetterCount = 3;
        QVERIFY(trial.variables() == loaded);
        for (const Timer* timer : {&f.Timer1, &f.Timer2, &f.tmrCursor}) {
            QVERIFY(!timer->Enabled() && timer->Interval() == 500ms);
        }
        QVERIFY(f.lblLetter.UpperBound() == 1 && f.lblLetterWrong.UpperBound() == 1);
        QVERIFY(!f.lblLetter[0].Visible && !f.lblLetterWrong[0].Visible && !f.linCursor.Visible);
        QCOMPARE(none.Drawn(), std::size_t{0});
    }

    void lettersAppearOnTheirDeadlinesAndRecallFollows500msLater_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("displayTime");
        for (int count = 3; count <= 8; ++count) {
            for (int ms : {500, 1000, 1500}) {
                QTest::addRow("%d letters at %d ms", count, ms) << count << ms;
            }
        }
    }
    void lettersAppearOnTheirDeadlinesAndRecallFollows500msLater() {
        QFETCH(int, count);
        QFETCH(int, displayTime);
        const QString script = QString("QWERTYUI").left(count);
        Session s(count, script.toStdString());
        s.trial.Option_Click(6 + displayTime / 500);
        const Time start = 12'345'678ns;
        s.trial.AdvanceTo(start);
        s.trial.cmdStart_Click();
        // The first letter is drawn, still hidden, before any reseed.
        QCOMPARE(Session::row(s.form().lblLetter), QStringList{"(Q)"});
        QCOMPARE(Session::word(s.vars().TargetLetters), "Q");
        QVERIFY(s.letters.Drawn() == 1 && s.letters.Reseeds() == 0);
        for (int k = 0; k < count; ++k) {
            const Time onset = start + (k + 1) * Milliseconds{displayTime};
            QCOMPARE(s.due(), onset.count());
            s.trial.AdvanceTo(onset - 1ns);
            QCOMPARE(s.shown(), k);
            s.trial.AdvanceTo(onset);
            QCOMPARE(Session::row(s.form().lblLetter), Session::rowOf(script.left(k + 1), 100));
            QCOMPARE(Session::word(s.vars().TargetLetters), script.left(k + 1));
            QVERIFY(s.letters.Reseeds() == k + 1 && s.letters.Drawn() == std::size_t(k + 1));
            QCOMPARE(Session::text(s.form().Label1), StartText);
        }
        QCOMPARE(s.vars().ShowIndex, 0);
        const Time blank = start + count * Milliseconds{displayTime} + 500ms;
        s.trial.AdvanceTo(blank - 1ns);
        QCOMPARE(s.phase(), "pause");
        s.trial.AdvanceTo(blank);
        QCOMPARE(s.phase(), "recall");
        QCOMPARE(Session::row(s.form().lblLetter), Session::rowOf(QString(count, '.'), 100));
        QCOMPARE(s.form().linCursor, (Line{22, 110, 22, 140, true}));
        QCOMPARE(Session::text(s.form().Label1), RecallText);
        QCOMPARE(Session::word(s.vars().TypedLetters), QString(count, '.'));
        QCOMPARE(s.vars().InputPos, 0);
        for (int j = 1; j <= 4; ++j) {
            s.trial.AdvanceTo(blank + j * 500ms - 1ns);
            QCOMPARE(s.form().linCursor.Visible, j % 2 == 1);
            s.trial.AdvanceTo(blank + j * 500ms);
            QCOMPARE(s.form().linCursor.Visible, j % 2 == 0);
        }
    }

    void aNewDisplayTimeCountsFromTheLastLetter_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("clickAt");
        QTest::addColumn<int>("newOption");
        QTest::addColumn<QList<int>>("ticks");  // the letters, then the blank
        QTest::addRow("Option9 after a letter") << 7 << 700 << 9 << QList{500, 2000, 3500, 4000};
        QTest::addRow("Option8 before any") << 7 << 200 << 8 << QList{1000, 2000, 3000, 3500};
        QTest::addRow("Option7 once due") << 9 << 1200 << 7 << QList{1200, 1700, 2200, 2700};
        QTest::addRow("Option7 after a letter") << 9 << 1600 << 7 << QList{1500, 2000, 2500, 3000};
        QTest::addRow("Option9 in the pause") << 7 << 1700 << 9 << QList{500, 1000, 1500, 2000};
    }
    void aNewDisplayTimeCountsFromTheLastLetter() {
        QFETCH(int, option);
        QFETCH(int, clickAt);
        QFETCH(int, newOption);
        QFETCH(QList<int>, ticks);
        Session s;
        s.trial.Option_Click(option);
        s.trial.cmdStart_Click();
        QList<int> seen;
        for (bool clicked = false; s.phase() != "recall";) {
            if (!clicked && s.due() > Time{Milliseconds{clickAt}}.count()) {
                s.trial.AdvanceTo(Milliseconds{clickAt});
                s.trial.Option_Click(newOption);
                clicked = true;
            }
            s.tick();
            seen << static_cast<int>(s.trial.Now() / 1ms);
        }
        QCOMPARE(seen, ticks);
    }

    // The moments of the ticks from a stall on, each with the letters shown, the phase and, in
    // the recall, the cursor.
    void aStallTicksOnceAndTheBeatGoesOnFromThere_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("stallFrom");
        QTest::addColumn<int>("stallTo");
        QTest::addColumn<QStringList>("ticks");
        QTest::addRow("2 s in the presentation")
            << 7 << 700 << 2700
            << QStringList{"2700 2 presentation", "3200 3 pause", "3700 3 recall+",
                           "4200 3 recall-"};
        QTest::addRow("2 s in the pause")
            << 7 << 1600 << 3600 << QStringList{"3600 3 recall+", "4100 3 recall-"};
        QTest::addRow("2 s in the blink")
            << 7 << 2100 << 4100 << QStringList{"4100 3 recall-", "4600 3 recall+"};
        QTest::addRow("2 s at 1.5 s a letter")
            << 9 << 1600 << 4600 << QStringList{"4600 2 presentation", "6100 3 pause"};
        // Ticked at its deadline of 1000 ms: the next one keeps its deadline too.
        QTest::addRow("just under an interval late")
            << 7 << 700 << 1499
            << QStringList{"1499 2 presentation", "1500 3 pause", "2000 3 recall+"};
    }
    void aStallTicksOnceAndTheBeatGoesOnFromThere() {
        QFETCH(int, option);
        QFETCH(int, stallFrom);
        QFETCH(int, stallTo);
        QFETCH(QStringList, ticks);
        Session s;
        s.trial.Option_Click(option);
        s.trial.cmdStart_Click();
        const auto state = [&s] {
            const QString cursor = s.phase() != "recall"        ? ""
                                   : s.form().linCursor.Visible ? "+"
                                                                : "-";
            return QStringLiteral("%1 %2 %3%4")
                .arg(s.trial.Now() / 1ms)
                .arg(s.shown())
                .arg(s.phase(), cursor);
        };
        while (s.due() <= Time{Milliseconds{stallFrom}}.count()) {
            s.tick();
        }
        s.trial.AdvanceTo(Milliseconds{stallTo});
        QStringList seen{state()};
        while (seen.size() < ticks.size()) {
            s.tick();
            seen << state();
        }
        QCOMPARE(seen, ticks);
    }

    void lettersAndBackspaceMoveTheCursor_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<float>("cursorX");
        QTest::addColumn<QString>("typed");
        QTest::addRow("a") << "a" << 92.f << "A...";
        QTest::addRow("A z Z") << "AzZ" << 232.f << "AZZ.";
        QTest::addRow("Backspace at cell 0") << "\b" << 22.f << "....";
        QTest::addRow("Backspace past cell 0") << "k\b\b\b" << 22.f << "....";
        QTest::addRow("Backspace after two") << "kp\b" << 92.f << "K...";
        QTest::addRow("a letter after it") << "kp\bq" << 162.f << "KQ..";
        QTest::addRow("rejected keys between") << "k@[`{5 \r\x1b中ép" << 162.f << "KP..";
    }
    void lettersAndBackspaceMoveTheCursor() {
        QFETCH(QString, keys);
        QFETCH(float, cursorX);
        QFETCH(QString, typed);
        Session s(4);
        s.enter(5);
        s.type(keys);
        QCOMPARE(s.phase(), "recall");
        QCOMPARE(s.form().linCursor, (Line{cursorX, 110, cursorX, 140, true}));
        QCOMPARE(s.vars().InputPos, static_cast<int>(typed.indexOf('.')));
        QCOMPARE(Session::word(s.vars().TypedLetters), typed);
        QCOMPARE(Session::row(s.form().lblLetter), Session::rowOf(typed, 100));
    }

    void keysChangeNothingUnlessLettersOrBackspaceInTheRecall_data() { addPhases(); }
    void keysChangeNothingUnlessLettersOrBackspaceInTheRecall() {
        QFETCH(int, phase);
        Session s;
        s.enter(phase);
        QString keys = QStringLiteral("@[`{059 \r\x1b\x7f中éａ");
        if (s.phase() != "recall") {
            keys += "kpb\b" + Session::word(s.vars().TargetLetters);
        }
        for (uint key : keys.toUcs4()) {
            const Form form = s.form();
            const TrialVariables vars = s.vars();
            s.trial.Form_KeyPress(key);
            QVERIFY2(s.form() == form && s.vars() == vars, qPrintable(QString::number(key)));
        }
    }

    void aCorrectAnswerIsCountedAndTheNextTrialStartsAtOnce() {
        Session s(3, "KPBMZQX");
        s.trial.cmdStart_Click();
        // The blank at 2 s and three blinks.
        s.toRecall();
        for (int blink = 0; blink < 3; ++blink) {
            s.tick();
        }
        s.trial.AdvanceTo(3750ms);
        QVERIFY(!s.form().linCursor.Visible && s.due() == Time{4000ms}.count());
        s.recordCells();
        s.type("kp");
        QCOMPARE(s.phase(), "recall");
        s.type("b");
        const Form& f = s.form();
        QCOMPARE(Session::text(f.Label1), CorrectText);
        QCOMPARE(Session::text(f.dui), "1");
        QVERIFY(f.cuo.empty() && f.Label3.empty() && !f.linCursor.Visible && !f.cmdStart.Enabled);
        QCOMPARE(s.cells, (QStringList{"-lblLetter(1)", "-lblLetter(2)"}));
        QCOMPARE(Session::row(f.lblLetter), QStringList{"(M)"});
        QCOMPARE(Session::word(s.vars().TargetLetters), "M");
        QCOMPARE(s.phase(), "presentation");
        QCOMPARE(s.due(), Time{4250ms}.count());
        QVERIFY(f.cmdStart.FocusRequests == 0 && s.vars().ExtraLabelCount == 0);
        for (int letter = 0; letter < 3; ++letter) {
            s.tick();
        }
        QCOMPARE(Session::text(f.Label1), CorrectText);
    }

    void aWrongAnswerShowsTheCorrectRowUntilStartUnloadsItPairwise_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("option");  // clicked before Start
        QTest::addColumn<QString>("keys");
        QTest::addRow("KPD for KPB") << "KPB" << 1 << "kpd";
        QTest::addRow("XPB for KPB") << "KPB" << 1 << "xpb";
        QTest::addRow("5 letters, then Option4") << "KPBMZ" << 4 << "kpbmq";
        QTest::addRow("8 letters, then Option1") << "KPBMZQWX" << 1 << "kpbmzqwz";
    }
    void aWrongAnswerShowsTheCorrectRowUntilStartUnloadsItPairwise() {
        QFETCH(QString, script);
        QFETCH(int, option);
        QFETCH(QString, keys);
        const int count = static_cast<int>(script.size());
        Session s(count, script.toStdString() + "QWERTYUI");
        s.enter(count + 1);
        s.recordCells();
        s.type(keys);
        const Form& f = s.form();
        QCOMPARE(Session::text(f.Label1), WrongText);
        QCOMPARE(Session::text(f.Label3), HeadingText);
        QCOMPARE(Session::text(f.cuo), "1");
        QVERIFY(f.dui.empty() && f.cmdStart.Enabled && f.cmdStart.FocusRequests == 1);
        QVERIFY(!s.trial.NextDue() && !f.linCursor.Visible && s.vars().InputPos == 0);
        QCOMPARE(s.vars().ExtraLabelCount, count - 1);
        QCOMPARE(Session::row(f.lblLetterWrong), Session::rowOf(script, 220));
        QCOMPARE(Session::row(f.lblLetter), Session::rowOf(keys.toUpper(), 100));

        s.trial.Option_Click(option);
        s.trial.cmdStart_Click();
        QStringList loads, unloads;
        for (int i = 1; i < count; ++i) {
            loads << QStringLiteral("+lblLetterWrong(%1)").arg(i);
            unloads << QStringLiteral("-lblLetterWrong(%1)").arg(i)
                    << QStringLiteral("-lblLetter(%1)").arg(i);
        }
        QCOMPARE(s.cells, loads + unloads);
        QCOMPARE(Session::row(f.lblLetterWrong), QStringList{"(" + script.left(1) + ")"});
        QCOMPARE(Session::row(f.lblLetter), QStringList{"(Q)"});
        QVERIFY(f.Label3.empty() && !f.cmdStart.Enabled && s.phase() == "presentation");
        s.toRecall();
        QCOMPARE(Session::word(s.vars().TypedLetters), QString(option + 2, '.'));
    }

    void countersGrowByOneNeverResetAndPass32767() {
        Session s(3, std::string(3 * 65536 + 1, 'A'));
        s.trial.cmdStart_Click();
        for (std::int64_t i = 1; i <= 65536; ++i) {
            const bool correct = i % 2 == 1;
            s.toRecall();
            s.answer(correct);
            if (!correct) {
                s.trial.cmdStart_Click();
            }
            // Start comes between each wrong answer and the check.
            QCOMPARE(Session::text(s.form().dui), QString::number((i + 1) / 2));
            QCOMPARE(Session::text(s.form().cuo), i > 1 ? QString::number(i / 2) : QString());
        }
        QVERIFY(s.vars().CorrectCount == 32768 && s.vars().WrongCount == 32768);
    }

    void letterCountChangesKeepTheTrialWhole_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("phase");
        QTest::addColumn<QList<int>>("options");
        QTest::addColumn<bool>("correct");
        QTest::addColumn<int>("presented");
        QTest::addColumn<int>("next");
        QTest::addRow("Option6, Option1 before Start")
            << 3 << BeforeStart << QList{6, 1} << true << 3 << 3;
        QTest::addRow("raised before the first letter") << 3 << 0 << QList{4} << true << 6 << 6;
        QTest::addRow("Option6 with 2 of 3 shown") << 3 << 2 << QList{6} << true << 8 << 8;
        QTest::addRow("lowered above the letters shown") << 8 << 2 << QList{2} << false << 4 << 4;
        QTest::addRow("lowered to the letters shown") << 5 << 3 << QList{1} << true << 5 << 3;
        QTest::addRow("lowered below the letters shown") << 6 << 4 << QList{1} << false << 6 << 3;
        QTest::addRow("lowered, then back") << 5 << 4 << QList{1, 3} << true << 5 << 5;
        QTest::addRow("lowered, then raised") << 5 << 3 << QList{1, 6} << false << 8 << 8;
        QTest::addRow("raised in the pause") << 3 << 3 << QList{6} << false << 3 << 8;
        QTest::addRow("lowered in the pause") << 6 << 6 << QList{1} << true << 6 << 3;
        QTest::addRow("raised in the recall") << 3 << 4 << QList{6} << true << 3 << 8;
        QTest::addRow("lowered in the recall") << 5 << 6 << QList{1} << false << 5 << 3;
        QTest::addRow("lowered in the recall, back") << 5 << 6 << QList{1, 3} << false << 5 << 5;
    }
    void letterCountChangesKeepTheTrialWhole() {
        QFETCH(int, count);
        QFETCH(int, phase);
        QFETCH(QList<int>, options);
        QFETCH(bool, correct);
        QFETCH(int, presented);
        QFETCH(int, next);
        Session s(count);
        s.enter(phase);
        // In the recall, the count changes with part of the answer typed.
        s.type(s.phase() == "recall" ? s.vars().TargetLetters[0].c_str() : "");
        for (int option : options) {
            s.trial.Option_Click(option);
        }
        if (phase == BeforeStart) {
            s.trial.cmdStart_Click();
        }
        s.toRecall();
        // The letters asked for, stored, answered and shown always agree.
        const auto sizes = [&s] {
            const TrialVariables& v = s.vars();
            return QList<qsizetype>{v.LetterCount, qsizetype(v.TargetLetters.size()),
                                    qsizetype(v.TypedLetters.size()),
                                    s.form().lblLetter.UpperBound()};
        };
        QCOMPARE(sizes(), QList<qsizetype>(4, presented));
        s.answer(correct);
        QVERIFY(s.vars().LetterCount == next && !s.vars().PendingLetterCount);
        if (!correct) {
            s.trial.cmdStart_Click();
        }
        s.toRecall();
        QCOMPARE(sizes(), QList<qsizetype>(4, next));
        QCOMPARE(s.form().lblLetterWrong.UpperBound(), 1);
    }

    void clickingTheSelectedOptionChangesNothing_data() { addPhases(); }
    void clickingTheSelectedOptionChangesNothing() {
        QFETCH(int, phase);
        Session s;
        s.enter(phase);
        const Form form = s.form();
        const TrialVariables vars = s.vars();
        s.trial.Option_Click(1);
        s.trial.Option_Click(7);
        QVERIFY(s.form() == form && s.vars() == vars);
    }

    void aDrawnNumberBecomesItsLetter() {
        const std::pair<double, const char*> draws[] = {
            {0.0, "(A)"}, {0.5, "(N)"}, {0x1.fffffep-1, "(Z)"}, {std::nextafter(1.0, 0.0), "(Z)"}};
        for (const auto& [r, cell] : draws) {
            FixedRandom random(r);
            Trial trial(random);
            trial.cmdStart_Click();
            QCOMPARE(Session::row(trial.form().lblLetter), QStringList{cell});
        }
    }

    // Two changes before an overdue tick fires both count from the same last letter.
    void aSecondNewDisplayTimeStillCountsFromTheLastLetter() {
        Timer timer(1500ms);
        timer.Enable(Time{0});
        timer.SetInterval(500ms, 1200ms);
        QCOMPARE(timer.Due(), Time{1200ms});
        timer.SetInterval(1500ms, 1200ms);
        QCOMPARE(timer.Due(), Time{1500ms});
        timer.SetInterval(1000ms, 1200ms);
        QCOMPARE(timer.Due(), Time{1200ms});
    }

    void aControlArrayRefusesEveryBrokenPrecondition() {
        ControlArray cells(LetterCell{"A", 20, 100, true});
        cells.Load(2);
        QCOMPARE(cells[2], (LetterCell{"A", 20, 100, false}));
        QVERIFY_THROWS_EXCEPTION(std::logic_error, cells.Load(2));
        QVERIFY_THROWS_EXCEPTION(std::logic_error, cells.Load(0));
        QVERIFY_THROWS_EXCEPTION(std::logic_error, cells[1]);
        QVERIFY_THROWS_EXCEPTION(std::logic_error, cells.Unload(1));
        QVERIFY_THROWS_EXCEPTION(std::logic_error, cells.Unload(0));
        cells.Unload(2);
        QVERIFY_THROWS_EXCEPTION(std::logic_error, cells[2]);
        QCOMPARE(cells.UpperBound(), 1);
    }

    void reseedsNeverRepeatASeedAndLettersAreUniform() {
        // A frozen clock: only the count of reseeds tells the seeds apart, and every run is alike.
        ClockSeededRandom random([] { return std::uint64_t{42}; });
        std::set<double> draws;
        std::array<int, 27> bins{};  // the last one for draws outside [0, 1)
        for (int i = 0; i < 13000; ++i) {
            random.Randomize();
            const double r = random.Rnd();
            draws.insert(r);
            ++bins[r >= 0 && r < 1 ? static_cast<int>(r * 26) : 26];
        }
        // A repeated seed would repeat its first draw.
        QCOMPARE(draws.size(), std::size_t{13000});
        QCOMPARE(bins[26], 0);
        double chiSquare = 0;
        for (int letter = 0; letter < 26; ++letter) {
            chiSquare += std::pow(bins[letter] - 500, 2) / 500;
        }
        // 25 degrees of freedom: uniform draws stay far below 80 (p < 1e-7).
        QVERIFY2(chiSquare < 80, qPrintable(QString::number(chiSquare)));
        const auto firstDraw = [](std::uint64_t now) {
            return ClockSeededRandom([now] { return now; }).Rnd();
        };
        QVERIFY(firstDraw(42) != firstDraw(43));
    }
};

QTEST_APPLESS_MAIN(TrialTest)
#include "trial_test.moc"
