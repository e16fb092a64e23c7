// SPDX-License-Identifier: GPL-3.0-or-later
// Measures how exactly the real window keeps the trial's times: trials run in the Qt event loop
// of a real MainWindow, observed from outside with one steady clock.
//
// Build and run (from the repository root):
//   cmake --build build/default --target trial_timing
//   QT_QPA_PLATFORM=offscreen build/default/bench/trial_timing --trials 3    # a quick look
//   build/default/bench/trial_timing                                         # the full run
//   Xvfb :77 -screen 0 1280x1024x24 &
//   DISPLAY=:77 LANG=C.UTF-8 build/default/bench/trial_timing                # under X
// Without DISPLAY and QT_QPA_PLATFORM it runs offscreen. The full run (20 trials of each of
// 3 and 8 letters at 500, 1000 and 1500 ms) takes about a quarter of an hour.
//
// Options:
//   --trials N        trials per setting (default 20)
//   --letters 3,8     letters per trial, each 3..8 (default 3,8)
//   --times 500,1500  display times in ms, each 500, 1000 or 1500 (default 500,1000,1500)
//   --blinks N        cursor blinks watched before the answer is typed (default 3)
//
// Start is the moment right before the Start click, or, for the trials that a correct answer
// starts by itself, the moment the key preview took the answer's last key. All figures are in
// milliseconds: the onset error of letter k is the moment its cell became visible minus
// start + (k + 1)·T; the blank error the moment the captions were emptied minus start + n·T +
// 500; the blink period the time between two changes of the cursor's visibility; key to caption
// the time from posting a key to the window until its cell shows the letter; visible to painted
// the time from a cell becoming visible until it is painted; tick lateness the moment the window
// delivered a tick minus its deadline, both on the window's own clock, which tells the timer's
// lateness apart from the rest of the path. Percentiles are nearest rank, so with fewer than
// 100 samples p99 is the maximum. The exit status is 0 when every target is met.

#include <QApplication>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/Fonts.h"
#include "tests/ScriptedLetters.h"
#include "trial/Options.h"
#include "ui/MainWindow.h"
#include "ui/SteadyClock.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Options {
    int trials = 20;
    std::vector<int> letters{3, 8};
    std::vector<int> times{500, 1000, 1500};
    int blinks = 3;
};

// The samples of one figure, in milliseconds.
class Figure {
public:
    void Add(double ms) { samples_.push_back(ms); }
    void Merge(const Figure& other) {
        samples_.insert(samples_.end(), other.samples_.begin(), other.samples_.end());
    }
    bool Empty() const { return samples_.empty(); }
    std::size_t Count() const { return samples_.size(); }

    // Nearest rank, so that every percentile is a value that was measured.
    double Percentile(double p) const {
        std::vector<double> sorted = samples_;
        std::sort(sorted.begin(), sorted.end());
        const auto rank = static_cast<std::size_t>(std::ceil(p / 100 * sorted.size()));
        return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
    }
    double Min() const { return *std::min_element(samples_.begin(), samples_.end()); }
    double Max() const { return *std::max_element(samples_.begin(), samples_.end()); }

    // Targets bound the size of an error whichever its sign.
    Figure Magnitudes() const {
        Figure magnitudes;
        for (double s : samples_) {
            magnitudes.Add(std::abs(s));
        }
        return magnitudes;
    }

private:
    std::vector<double> samples_;
};

struct Figures {
    Figure onset;
    Figure firstOnset;
    Figure lastOnset;
    // Onset error of the last letter minus that of letter 0, per trial.
    Figure drift;
    Figure blank;
    Figure blinkPeriod;
    Figure keyToCaption;
    Figure painted;
    // When the window delivered each tick, on its own clock, minus the tick's deadline.
    Figure tickLateness;

    void Merge(const Figures& other) {
        onset.Merge(other.onset);
        firstOnset.Merge(other.firstOnset);
        lastOnset.Merge(other.lastOnset);
        drift.Merge(other.drift);
        blank.Merge(other.blank);
        blinkPeriod.Merge(other.blinkPeriod);
        keyToCaption.Merge(other.keyToCaption);
        painted.Merge(other.painted);
        tickLateness.Merge(other.tickLateness);
    }
};

void PrintRow(const char* name, const Figure& figure) {
    if (figure.Empty()) {
        std::printf("  %-34s %6s\n", name, "-");
        return;
    }
    std::printf("  %-34s %6zu %9.3f %9.3f %9.3f %9.3f\n", name, figure.Count(), figure.Min(),
                figure.Percentile(50), figure.Percentile(99), figure.Max());
}

void PrintFigures(const Figures& f, int letters) {
    std::printf("  %-34s %6s %9s %9s %9s %9s\n", "figure (ms)", "count", "min", "p50", "p99",
                "max");
    PrintRow("onset error, all letters", f.onset);
    PrintRow("onset error, letter 0", f.firstOnset);
    const std::string last = "onset error, letter " + std::to_string(letters - 1);
    PrintRow(letters > 0 ? last.c_str() : "onset error, last letter", f.lastOnset);
    PrintRow("drift (last letter - letter 0)", f.drift);
    PrintRow("blank error", f.blank);
    PrintRow("blink period", f.blinkPeriod);
    PrintRow("key to caption", f.keyToCaption);
    PrintRow("cell visible to painted", f.painted);
    PrintRow("tick lateness, window's clock", f.tickLateness);
}

int OptionNumber(kavrel::OptionButton::Setting setting, int value) {
    for (std::size_t i = 0; i < kavrel::OptionButtons.size(); ++i) {
        if (kavrel::OptionButtons[i].setting == setting &&
            kavrel::OptionButtons[i].value == value) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

// Runs the trials of one setting in a fresh window. Each correct answer starts the next trial
// by itself; the last trial is left unanswered so that no further one starts.
class SettingRun : public QObject {
public:
    SettingRun(int letters, int displayTime, const Options& options)
        : letters_(letters), displayTime_(displayTime), options_(options) {
        std::mt19937 engine(static_cast<unsigned>(letters * 10000 + displayTime));
        std::uniform_int_distribution<int> letter('A', 'Z');
        for (int i = 0; i < letters * (options.trials + 1); ++i) {
            script_ += static_cast<char>(letter(engine));
        }
        letterSource_.Append(script_);
        window_.emplace(letterSource_, clock_);

        connect(&*window_, &kavrel::MainWindow::formShown, this, [this] { OnFormShown(); });
        connect(&*window_, &kavrel::MainWindow::keyPreviewed, this,
                [this](char32_t) { OnKeyPreviewed(); });
        cursor_ = window_->clientArea()->findChild<QWidget*>("linCursor");
        watchdog_.setSingleShot(true);
        connect(&watchdog_, &QTimer::timeout, this, [this] {
            failure_ = "trial " + std::to_string(trial_) + " stalled";
            loop_.quit();
        });
    }

    ~SettingRun() override {
        if (window_) {
            window_->close();
        }
    }

    // The figures, or nullopt if a trial did not run through.
    std::optional<Figures> Run() {
        using Setting = kavrel::OptionButton::Setting;
        Click(QString("Option%1").arg(OptionNumber(Setting::LetterCount, letters_)));
        Click(QString("Option%1").arg(OptionNumber(Setting::DisplayTime, displayTime_)));
        window_->show();
        // Let the window be exposed and painted once, so the first trial does not pay for it.
        QTimer::singleShot(300, this, [this] {
            BeginTrial();
            start_ = Clock::now();
            window_->clientArea()->findChild<QPushButton*>("cmdStart")->click();
        });
        loop_.exec();
        if (failure_) {
            std::printf("  FAILED: %s\n", failure_->c_str());
            return std::nullopt;
        }
        return figures_;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            if (auto it = paintPending_.find(watched); it != paintPending_.end()) {
                figures_.painted.Add(Ms(Clock::now() - it->second));
                paintPending_.erase(it);
            }
        }
        return false;
    }

private:
    enum class Phase { Presenting, Recall, Typing, Done };

    void Click(const QString& name) {
        window_->clientArea()->findChild<QRadioButton*>(name)->click();
    }

    QLabel* Cell(int index) const { return window_->lblLetter().Cell(index); }

    void BeginTrial() {
        ++trial_;
        phase_ = Phase::Presenting;
        shown_ = 0;
        firstOnset_ = 0;
        paintPending_.clear();
        const int budget = letters_ * displayTime_ + 500 + options_.blinks * 500 + 10000;
        watchdog_.start(budget);
    }

    void OnFormShown() {
        const Clock::time_point now = Clock::now();
        ObserveTick();
        switch (phase_) {
            case Phase::Presenting:
                ObservePresentation(now);
                break;
            case Phase::Recall:
            case Phase::Typing:
                ObserveCursor(now);
                if (phase_ == Phase::Typing) {
                    ObserveCaption(now);
                }
                break;
            case Phase::Done:
                break;
        }
    }

    // A render at or after the awaited deadline is the one that delivered its tick.
    void ObserveTick() {
        const kavrel::Trial& trial = window_->trial();
        if (awaitedDue_ && trial.Now() >= *awaitedDue_) {
            figures_.tickLateness.Add(
                std::chrono::duration<double, std::milli>(trial.Now() - *awaitedDue_).count());
        }
        awaitedDue_ = trial.NextDue();
    }

    void ObservePresentation(Clock::time_point now) {
        const auto T = std::chrono::milliseconds(displayTime_);
        while (shown_ < letters_) {
            QLabel* cell = Cell(shown_);
            if (cell == nullptr || !cell->isVisible() || cell->text().isEmpty()) {
                return;
            }
            const double error = Ms(now - (start_ + (shown_ + 1) * T));
            figures_.onset.Add(error);
            if (shown_ == 0) {
                figures_.firstOnset.Add(error);
                firstOnset_ = error;
            }
            if (shown_ == letters_ - 1) {
                figures_.lastOnset.Add(error);
                figures_.drift.Add(error - firstOnset_);
            }
            cell->installEventFilter(this);
            paintPending_[cell] = now;
            ++shown_;
        }
        if (!Cell(0)->text().isEmpty()) {
            return;
        }
        figures_.blank.Add(Ms(now - (start_ + letters_ * T + std::chrono::milliseconds(500))));
        phase_ = Phase::Recall;
        cursorVisible_ = cursor_->isVisible();
        lastToggle_ = now;
        toggles_ = 0;
        // Every trial draws its letters from the script in turn.
        answer_ = script_.substr((trial_ - 1) * letters_, letters_);
        typed_ = 0;
        if (options_.blinks == 0) {
            StartTyping();
        }
    }

    void ObserveCursor(Clock::time_point now) {
        if (cursor_->isVisible() == cursorVisible_) {
            return;
        }
        cursorVisible_ = !cursorVisible_;
        figures_.blinkPeriod.Add(Ms(now - lastToggle_));
        lastToggle_ = now;
        if (++toggles_ == options_.blinks && phase_ == Phase::Recall) {
            StartTyping();
        }
    }

    void StartTyping() {
        phase_ = Phase::Typing;
        QTimer::singleShot(0, this, [this] { PostKey(); });
    }

    // The last letter of an answer is not awaited: it judges the trial and unloads the cells.
    void ObserveCaption(Clock::time_point now) {
        if (Cell(typed_)->text() != QChar(answer_[typed_])) {
            return;
        }
        figures_.keyToCaption.Add(Ms(now - keyPosted_));
        ++typed_;
        if (typed_ == letters_ - 1 && trial_ == options_.trials) {
            phase_ = Phase::Done;
            watchdog_.stop();
            loop_.quit();
            return;
        }
        QTimer::singleShot(0, this, [this] { PostKey(); });
    }

    void OnKeyPreviewed() {
        if (phase_ == Phase::Typing && typed_ == letters_ - 1) {
            // The correct answer starts the next trial in this very key event, after this
            // signal: the trial's own start can only be later than this moment.
            BeginTrial();
            start_ = Clock::now();
        }
    }

    // Posted as a keyboard would deliver it: lower case, press then release.
    void PostKey() {
        const char letter = answer_.at(typed_);
        const QString text(QChar(letter).toLower());
        const int key = Qt::Key_A + (letter - 'A');
        QWindow* target = window_->windowHandle();
        auto* press = new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text);
        auto* release = new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text);
        keyPosted_ = Clock::now();
        QCoreApplication::postEvent(target, press);
        QCoreApplication::postEvent(target, release);
    }

    const int letters_;
    const int displayTime_;
    const Options& options_;
    std::string script_;
    kavrel::testing::ScriptedLetters letterSource_;
    kavrel::SteadyClock clock_;
    std::optional<kavrel::MainWindow> window_;
    QWidget* cursor_ = nullptr;
    QEventLoop loop_;
    QTimer watchdog_;
    std::optional<std::string> failure_;
    Figures figures_;

    std::optional<kavrel::Time> awaitedDue_;
    Phase phase_ = Phase::Done;
    int trial_ = 0;
    Clock::time_point start_;
    int shown_ = 0;
    double firstOnset_ = 0;
    std::map<QObject*, Clock::time_point> paintPending_;
    bool cursorVisible_ = false;
    Clock::time_point lastToggle_;
    int toggles_ = 0;
    std::string answer_;
    int typed_ = 0;
    Clock::time_point keyPosted_;
};

std::optional<std::vector<int>> ParseList(const QString& text) {
    std::vector<int> values;
    for (const QString& part : text.split(',')) {
        bool ok = false;
        values.push_back(part.toInt(&ok));
        if (!ok) {
            return std::nullopt;
        }
    }
    return values;
}

// The options, or nullopt (with the reason on standard error) if one is not of its form.
std::optional<Options> ParseOptions(const QCoreApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription("How exactly the real window keeps the trial's times");
    parser.addHelpOption();
    const QCommandLineOption trials("trials", "Trials per setting (default 20).", "n", "20");
    const QCommandLineOption letters("letters", "Letters per trial, each 3..8 (default 3,8).",
                                     "list", "3,8");
    const QCommandLineOption times(
        "times", "Display times in ms, each 500, 1000 or 1500 (default 500,1000,1500).", "list",
        "500,1000,1500");
    const QCommandLineOption blinks("blinks", "Cursor blinks watched before typing (default 3).",
                                    "n", "3");
    parser.addOptions({trials, letters, times, blinks});
    parser.process(application);

    Options options;
    bool trialsOk = false;
    bool blinksOk = false;
    options.trials = parser.value(trials).toInt(&trialsOk);
    options.blinks = parser.value(blinks).toInt(&blinksOk);
    const auto letterList = ParseList(parser.value(letters));
    const auto timeList = ParseList(parser.value(times));
    using Setting = kavrel::OptionButton::Setting;
    const auto offered = [](Setting setting, const std::vector<int>& values) {
        return std::all_of(values.begin(), values.end(),
                           [setting](int value) { return OptionNumber(setting, value) != 0; });
    };
    if (!trialsOk || options.trials < 1 || !blinksOk || options.blinks < 0 || !letterList ||
        !timeList || !offered(Setting::LetterCount, *letterList) ||
        !offered(Setting::DisplayTime, *timeList)) {
        std::fprintf(stderr, "%s", qPrintable(parser.helpText()));
        return std::nullopt;
    }
    options.letters = *letterList;
    options.times = *timeList;
    return options;
}

const char* Verdict(bool met) {
    return met ? "met" : "NOT MET";
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    kavrel::InstallFontSubstitutes();

    const std::optional<Options> options = ParseOptions(application);
    if (!options) {
        return 2;
    }

    std::printf("trial timing on platform %s, Qt %s, %d trials per setting, %d blinks watched\n",
                qPrintable(QGuiApplication::platformName()), qVersion(), options->trials,
                options->blinks);
    std::fflush(stdout);

    Figures all;
    std::optional<Figures> eightAt1500;
    bool failed = false;
    for (int n : options->letters) {
        for (int t : options->times) {
            std::printf("\n%d letters at %d ms\n", n, t);
            std::fflush(stdout);
            SettingRun run(n, t, *options);
            const std::optional<Figures> figures = run.Run();
            if (!figures) {
                failed = true;
                continue;
            }
            PrintFigures(*figures, n);
            std::fflush(stdout);
            all.Merge(*figures);
            if (n == 8 && t == 1500) {
                eightAt1500 = figures;
            }
        }
    }

    std::printf("\nall settings\n");
    PrintFigures(all, 0);

    std::printf("\ntargets\n");
    if (all.onset.Empty() || all.keyToCaption.Empty()) {
        std::printf("  nothing measured\n");
        return 1;
    }
    const Figure onset = all.onset.Magnitudes();
    const bool onsetMet = onset.Percentile(99) <= 2 && onset.Max() <= 5;
    std::printf("  onset |error| p99 %.3f <= 2 and max %.3f <= 5: %s\n", onset.Percentile(99),
                onset.Max(), Verdict(onsetMet));
    const Figure blank = all.blank.Magnitudes();
    std::printf("  (blank |error| p99 %.3f <= 2 and max %.3f <= 5: %s)\n", blank.Percentile(99),
                blank.Max(), Verdict(blank.Percentile(99) <= 2 && blank.Max() <= 5));
    bool driftMet = false;
    if (eightAt1500 && !eightAt1500->drift.Empty()) {
        // Ticks scheduled one after another would pile their lateness up over seven intervals;
        // deadlines keep the last letter as close to its moment as the first.
        const double median = eightAt1500->drift.Percentile(50);
        const double worst = eightAt1500->drift.Magnitudes().Max();
        driftMet = std::abs(median) <= 0.5 && worst <= 5;
        std::printf(
            "  drift over 8 letters at 1500 ms, |p50| %.3f <= 0.5 and max |drift| %.3f <= 5: "
            "%s\n",
            std::abs(median), worst, Verdict(driftMet));
    } else {
        std::printf("  drift over 8 letters at 1500 ms: not measured in this run\n");
    }
    const double keyP99 = all.keyToCaption.Percentile(99);
    const bool keyMet = keyP99 <= 1;
    std::printf("  key to caption p99 %.3f <= 1: %s\n", keyP99, Verdict(keyMet));

    const bool allMet = onsetMet && keyMet && (driftMet || !eightAt1500) && !failed;
    std::printf("  overall: %s\n", allMet ? "all targets met" : "targets NOT met");
    return allMet ? 0 : 1;
}
