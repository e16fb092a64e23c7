// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds the trial long random sequences of everything the window can deliver and checks the
// whole state after every single event. A failure names the seed and the failing event, and
// KAVREL_EXPLORE_SEED / KAVREL_EXPLORE_EVENTS replay it.
#include <QtTest>
#include <cstdlib>
#include <deque>
#include <random>
#include <sstream>

#include "trial/Options.h"
#include "trial/Texts.h"
#include "trial/Trial.h"

using namespace kavrel;
using namespace std::chrono_literals;

namespace {

std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::strtoull(value, nullptr, 10) : fallback;
}

enum class Phase { Idle, Presentation, Pause, Recall };

class Explorer {
public:
    explicit Explorer(std::uint64_t seed) : dice_(seed) { Restart(); }

    // How much of the cycle a run reached: right and wrong answers, deferred count changes.
    std::string Coverage() const {
        return std::to_string(rights_) + " right, " + std::to_string(wrongs_) + " wrong, " +
               std::to_string(deferred_) + " deferred count changes";
    }

    // Runs `events` events; returns an empty string or what went wrong, with the recent events.
    std::string Run(std::uint64_t events) {
        for (std::uint64_t i = 0; i < events; ++i) {
            std::string problem;
            try {
                Step();
                problem = Check();
                rights_ += trial_->variables().CorrectCount > before_.CorrectCount;
                wrongs_ += trial_->variables().WrongCount > before_.WrongCount;
                deferred_ += trial_->variables().PendingLetterCount.has_value() &&
                             !before_.PendingLetterCount.has_value();
            } catch (const std::exception& error) {
                problem = std::string("exception: ") + error.what();
            }
            if (!problem.empty()) {
                std::ostringstream report;
                report << "event " << i << ": " << problem << "\nlast events:";
                for (const std::string& event : recent_) {
                    report << "\n  " << event;
                }
                return report.str();
            }
        }
        return {};
    }

private:
    int Roll(int below) { return std::uniform_int_distribution<int>(0, below - 1)(dice_); }

    void Restart() {
        // The letters come from the program's own generator, reseeded from the trial's clock,
        // so a seed replays exactly.
        random_ = std::make_unique<ClockSeededRandom>([this] { return ticksSeen_++; });
        trial_ = std::make_unique<Trial>(*random_);
        trial_->Form_Load();
        before_ = trial_->variables();
    }

    void Note(std::string event) {
        recent_.push_back(std::move(event));
        if (recent_.size() > 25) {
            recent_.pop_front();
        }
    }

    void Step() {
        before_ = trial_->variables();
        const int roll = Roll(1000);
        if (roll < 380) {
            PressKey();
        } else if (roll < 730) {
            PassTime();
        } else if (roll < 840) {
            const int number = 1 + Roll(9);
            Note("Option" + std::to_string(number));
            trial_->Option_Click(number);
        } else if (roll < 960) {
            if (trial_->form().cmdStart.Enabled) {
                Note("Start");
                trial_->cmdStart_Click();
            }
        } else if (roll < 995) {
            // The help box is modal: keys go to it while the trial's timers run on.
            Note("Help open for a while");
            trial_->AdvanceTo(trial_->Now() + Time{Milliseconds{Roll(4000)}});
        } else {
            Note("Exit, and the program opened again");
            Restart();
        }
    }

    void PressKey() {
        static const std::u32string others = U"@[`{059 \r\x1b.,;中é\b\b\b";
        char32_t key;
        const auto& target = trial_->variables().TargetLetters;
        const int pos = trial_->variables().InputPos;
        const int kind = Roll(20);
        if (kind < 11) {  // the right letter, most of the time, so that answers do come out right
            key = pos < static_cast<int>(target.size()) && Roll(8) != 0
                      ? static_cast<char32_t>(target[pos][0] + (Roll(2) ? 32 : 0))
                      : U'A' + Roll(26);
        } else if (kind < 15) {
            key = U'a' + Roll(26);
        } else if (kind < 17) {
            key = U'\b';
        } else {
            key = others[Roll(static_cast<int>(others.size()))];
        }
        Note("key " + std::to_string(static_cast<std::uint32_t>(key)));
        trial_->Form_KeyPress(key);
    }

    void PassTime() {
        const std::optional<Time> due = trial_->NextDue();
        Time to = trial_->Now() + Time{Milliseconds{Roll(700)}};
        if (due && Roll(3) != 0) {
            to = *due;  // exactly on a deadline, where ordering bugs hide
        } else if (Roll(8) == 0) {
            to = trial_->Now() + Time{Milliseconds{1000 + Roll(2000)}};  // the machine held up
        }
        Note("time to " + std::to_string(to / 1ms) + " ms");
        trial_->AdvanceTo(to);
    }

    Phase PhaseOf(std::string& problem) const {
        const Form& f = trial_->form();
        const int row = f.Timer1.Enabled() * 8 + f.Timer2.Enabled() * 4 +
                        f.tmrCursor.Enabled() * 2 + f.cmdStart.Enabled;
        switch (row) {
            case 1:
                return Phase::Idle;
            case 8:
                return Phase::Presentation;
            case 4:
                return Phase::Pause;
            case 2:
                return Phase::Recall;
            default:
                problem = "timers and Start in no row of the phase table: " + std::to_string(row);
                return Phase::Idle;
        }
    }

    std::string Check() const {
        const Form& f = trial_->form();
        const TrialVariables& v = trial_->variables();
        std::string problem;
        const Phase phase = PhaseOf(problem);
        if (!problem.empty()) {
            return problem;
        }
        const int n = v.LetterCount;
        const int shown = static_cast<int>(v.TargetLetters.size());
        if (n < 3 || n > 8) {
            return "LetterCount " + std::to_string(n);
        }
        if (phase != Phase::Presentation && v.ShowIndex != 0) {
            return "ShowIndex without a presentation";
        }
        if (phase != Phase::Recall && (v.InputPos != 0 || f.linCursor.Visible)) {
            return "input position or cursor outside the recall";
        }
        if (phase == Phase::Idle && v.PendingLetterCount) {
            return "a letter count left pending while idle";
        }
        // However long an event held the trial up, each letter has its own moment on screen.
        if (v.TargetLetters.size() > before_.TargetLetters.size() + 1) {
            return "letters appeared together";
        }
        for (const std::string& letter : v.TargetLetters) {
            if (letter.size() != 1 || letter[0] < 'A' || letter[0] > 'Z') {
                return "a presented letter outside A-Z";
            }
        }
        if (v.CorrectCount < before_.CorrectCount || v.WrongCount < before_.WrongCount ||
            (v.CorrectCount - before_.CorrectCount) + (v.WrongCount - before_.WrongCount) > 1) {
            return "counters went back or jumped";
        }
        const auto counter = [](std::int64_t count) {
            return count == 0 ? std::string() : std::to_string(count);
        };
        if (f.dui != counter(v.CorrectCount) || f.cuo != counter(v.WrongCount)) {
            return "counter boxes disagree with the counts";
        }

        int letterCells = 1;
        int correctCells = 1;
        switch (phase) {
            case Phase::Idle:
                if (v.WrongCount == 0 && v.CorrectCount == 0 && shown == 0) {
                    break;  // before the first trial: the stored, hidden cells
                }
                letterCells = correctCells = v.ExtraLabelCount + 1;
                if (shown != letterCells || static_cast<int>(v.TypedLetters.size()) != shown) {
                    return "the judged trial's letters do not match its cells";
                }
                for (int i = 0; i < shown; ++i) {
                    const LetterCell& red = f.lblLetterWrong[i];
                    if (red.Caption != v.TargetLetters[i] || !red.Visible ||
                        red.Left != 20 + 70 * i || red.Top != 220 ||
                        f.lblLetter[i].Caption != v.TypedLetters[i] || !f.lblLetter[i].Visible) {
                        return "the rows after a wrong answer disagree with the letters";
                    }
                }
                if (v.TypedLetters == v.TargetLetters) {
                    return "a right answer judged wrong";
                }
                break;
            case Phase::Presentation:
                letterCells = std::max(v.ShowIndex, 1);
                if (v.ShowIndex >= n || shown != letterCells) {
                    return "presentation out of step: ShowIndex " + std::to_string(v.ShowIndex);
                }
                for (int i = 0; i < letterCells; ++i) {
                    const LetterCell& cell = f.lblLetter[i];
                    if (cell.Caption != v.TargetLetters[i] || cell.Visible != (i < v.ShowIndex) ||
                        (cell.Visible && (cell.Left != 20 + 70 * i || cell.Top != 100))) {
                        return "a presented cell disagrees with the letters shown";
                    }
                }
                break;
            case Phase::Pause:
            case Phase::Recall: {
                letterCells = n;
                if (shown != n) {
                    return "asked for " + std::to_string(n) + " letters after showing " +
                           std::to_string(shown);
                }
                const bool recall = phase == Phase::Recall;
                if (recall &&
                    (static_cast<int>(v.TypedLetters.size()) != n || v.InputPos >= n ||
                     f.linCursor.X1 != 22 + 70 * v.InputPos || f.linCursor.X2 != f.linCursor.X1 ||
                     f.linCursor.Y1 != 110 || f.linCursor.Y2 != 140)) {
                    return "the recall's answer or cursor is out of step";
                }
                for (int i = 0; i < n; ++i) {
                    const std::string& expected = recall ? v.TypedLetters[i] : v.TargetLetters[i];
                    if (f.lblLetter[i].Caption != expected || !f.lblLetter[i].Visible ||
                        (recall && expected.empty() != (i >= v.InputPos))) {
                        return "a cell disagrees with the letters during the recall";
                    }
                }
                break;
            }
        }
        if (f.lblLetter.UpperBound() != letterCells ||
            f.lblLetterWrong.UpperBound() != correctCells) {
            return "loaded cells: " + std::to_string(f.lblLetter.UpperBound()) + " and " +
                   std::to_string(f.lblLetterWrong.UpperBound());
        }
        for (int i = 0; i < letterCells; ++i) {
            if (!f.lblLetter.IsLoaded(i) || (i < correctCells && !f.lblLetterWrong.IsLoaded(i))) {
                return "a gap in a row of cells";
            }
        }
        if (phase != Phase::Idle && f.lblLetterWrong[0].Visible) {
            return "the red row stays during a trial";
        }
        if (const auto due = trial_->NextDue(); due && *due < trial_->Now()) {
            return "a tick left behind";
        }
        return {};
    }

    std::mt19937_64 dice_;
    std::uint64_t ticksSeen_ = 0;
    std::unique_ptr<ClockSeededRandom> random_;
    std::unique_ptr<Trial> trial_;
    TrialVariables before_;
    std::deque<std::string> recent_;
    std::uint64_t rights_ = 0;
    std::uint64_t wrongs_ = 0;
    std::uint64_t deferred_ = 0;
};

}  // namespace

class ExploreTest : public QObject {
    Q_OBJECT

private slots:
    void everyEventKeepsTheTrialConsistent() {
        const std::uint64_t seed = EnvNumber("KAVREL_EXPLORE_SEED", std::random_device{}());
        const std::uint64_t events = EnvNumber("KAVREL_EXPLORE_EVENTS", 1'000'000);
        QElapsedTimer clock;
        clock.start();
        Explorer explorer(seed);
        const std::string problem = explorer.Run(events);
        const double seconds = clock.elapsed() / 1000.0;
        qInfo("seed %llu: %llu events in %.2f s (%.0f events/s); %s",
              static_cast<unsigned long long>(seed), static_cast<unsigned long long>(events),
              seconds, events / std::max(seconds, 1e-3), explorer.Coverage().c_str());
        QVERIFY2(problem.empty(), qPrintable(QString("KAVREL_EXPLORE_SEED=%1 replays it. %2")
                                                 .arg(seed)
                                                 .arg(QString::fromStdString(problem))));
    }

    // Trials back to back, right and wrong in turn, at every count and display time, with the
    // counters carried past the largest 16-bit number.
    void aLongSessionStaysRightAndFlat() {
        ClockSeededRandom random;
        Trial trial(random);
        trial.Form_Load();
        const auto residentKiB = [] {
            QFile status("/proc/self/statm");
            status.open(QIODevice::ReadOnly);
            return status.readAll().split(' ').value(1).toLongLong() * 4;
        };
        long long residentAfterWarmUp = 0;
        const int trials = 100'000;
        trial.cmdStart_Click();
        for (int t = 0; t < trials; ++t) {
            if (t == 1000) {
                residentAfterWarmUp = residentKiB();
            }
            // Settings change while idle or right after a trial starts, both always safe.
            trial.Option_Click(1 + t % 6);
            trial.Option_Click(7 + (t / 6) % 3);
            while (!trial.form().tmrCursor.Enabled()) {
                trial.AdvanceTo(*trial.NextDue());
            }
            const std::vector<std::string> target = trial.variables().TargetLetters;
            const bool answerRight = t % 2 == 0;
            for (std::size_t i = 0; i < target.size(); ++i) {
                const bool spoil = !answerRight && i + 1 == target.size();
                trial.Form_KeyPress(spoil ? (target[i][0] == 'A' ? U'B' : U'A') : target[i][0]);
            }
            if (!answerRight) {
                QVERIFY(trial.form().cmdStart.Enabled);
                trial.cmdStart_Click();
            }
        }
        QCOMPARE(trial.variables().CorrectCount, trials / 2);
        QCOMPARE(trial.variables().WrongCount, trials / 2);
        QCOMPARE(trial.form().dui, std::to_string(trials / 2));
        QCOMPARE(trial.form().cuo, std::to_string(trials / 2));
        const long long growth = residentKiB() - residentAfterWarmUp;
        qInfo("resident memory grew by %lld KiB over %d trials", growth, trials - 1000);
#ifndef __SANITIZE_ADDRESS__
        // AddressSanitizer keeps freed memory in quarantine; there LeakSanitizer speaks instead.
        QVERIFY2(growth < 1024, "memory grows with the number of trials");
#endif
    }
};

QTEST_APPLESS_MAIN(ExploreTest)
#include "explore_test.moc"
