#include "soak_run.h"

#include "app/chart_color_series.h"
#include "app/widgets/spin_edit.h"
#include "encoder/Velor_konstante.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <utility>

namespace {

// How long after the simulator is told that a flag reading may still show
// the old state: the command crosses a pipe and a tick may be under way.
constexpr qint64 FlagGraceMs = 300;
// A row's time against the run's clock: both count from the start of the
// recording, taken a moment apart.
constexpr qint64 RowTimeSlackMs = 250;
constexpr qint64 ReplyTimeoutMs = 400;
// How long a row may be on disk before the window shows its reading.
constexpr qint64 UnshownRowMs = 2000;
constexpr int CheckEveryMs = 2000;
constexpr int SampleEveryChecks = 5;
constexpr int StartBoundMs = 20000;
constexpr qint64 GiveUpRecoveryMs = 60000;
constexpr int MaxListedFailures = 25;
constexpr std::size_t MaxPendingRows = 5000;
// Ticks that may pass after a search took the encoder for the other kind: on
// the Installation page a failed calibration and signal-level reply still count
// as readings, and the position-only tick after them finds the loss.
constexpr int MaxWrongKindRows = 2;

long RssKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
        status.ignore(4096, '\n');
    }
    return -1;
}

bool Within(const std::vector<std::pair<qint64, qint64>>& spans, qint64 t, qint64 startSlack,
            qint64 endSlack) {
    for (const auto& [on, off] : spans)
        if (t >= on + startSlack && (off < 0 || t <= off + endSlack))
            return true;
    return false;
}

} // namespace

void CountingBoxes::Show(QWidget*, Kind kind, const QString& text) {
    Texts.push_back((kind == Kind::Error ? QStringLiteral("error: ") : QStringLiteral("info: ")) +
                    text + (Context ? QStringLiteral("\n      ") + Context() : QString()));
}

SoakRun::SoakRun(SoakOptions options)
    : options_(std::move(options)), schedule_(options_.Seed), pageRng_(options_.Seed ^ 0x5A5Au) {
    boxes_ = std::make_shared<CountingBoxes>();
    boxes_->Context = [this] { return Situation(); };
    phaseTimer_.setSingleShot(true);
    pageTimer_.setSingleShot(true);
    connect(&heartbeat_, &QTimer::timeout, this, &SoakRun::Heartbeat);
    connect(&check_, &QTimer::timeout, this, &SoakRun::Check);
    connect(&pageTimer_, &QTimer::timeout, this, &SoakRun::SwitchPage);
    connect(&phaseTimer_, &QTimer::timeout, this, [this] {
        switch (phase_) {
        case Phase::Starting:
            Fail("the window did not reach reading within " + std::to_string(StartBoundMs) + " ms");
            Finish();
            break;
        case Phase::Calm:
            if (options_.AttachLink.isEmpty() && Now() < options_.Minutes * 60000)
                InjectFault();
            else
                Finish();
            break;
        case Phase::Hold:
            ClearFault();
            break;
        case Phase::Recover:
            RecoveryOverdue();
            break;
        case Phase::Done:
            break;
        }
    });
}

SoakRun::~SoakRun() {
    engine_.reset();
    form_.reset();
    sim_.Stop();
}

bool SoakRun::Start(QString& error) {
    clock_.start();
    if (options_.Folder.isEmpty()) {
        tempDir_.emplace();
        if (!tempDir_->isValid()) {
            error = QStringLiteral("cannot make a temporary folder");
            return false;
        }
        folder_ = tempDir_->path();
    } else {
        folder_ = QDir(options_.Folder).absolutePath();
        QDir().mkpath(folder_);
    }
    if (options_.AttachLink.isEmpty()) {
        link_ = QDir(folder_).filePath(QStringLiteral("k730"));
        QStringList args{QStringLiteral("--speed"), QStringLiteral("12"), QStringLiteral("--seed"),
                         QString::number(options_.Seed)};
        if (options_.Multiturn)
            args << QStringLiteral("--multiturn");
        if (!sim_.Start(options_.SimProgram, link_, args,
                        QDir(folder_).filePath(QStringLiteral("k730-sim.err")), error))
            return false;
    } else {
        link_ = options_.AttachLink;
    }
    qputenv("TESSORAN_PORTS", link_.toLocal8Bit());

    MainFormEnvironment env = MainFormEnvironment::System();
    env.Boxes = boxes_;
    const QString folder = folder_;
    env.RecordingFolder = [folder] { return folder; };
    channel_ = env.Channel;
    form_ = std::make_unique<TMainForm>(std::move(env));
    form_->show();
    connect(form_.get(), &TMainForm::reportRendered, this, &SoakRun::OnReport);
    engine_ = std::make_unique<Engine::EngineThread>(Engine::Environment::System(), channel_);

    heartbeat_.start(100);
    lastBeatMs_ = Now();
    check_.start(CheckEveryMs);
    phaseTimer_.start(StartBoundMs);
    return true;
}

QString SoakRun::Situation() const {
    static const char* const Phases[] = {"starting", "calm", "holding", "recovering from", "done"};
    QString text = QStringLiteral("at %1 s, %2 %3; log ends:")
                       .arg(Now() / 1000)
                       .arg(QLatin1String(Phases[static_cast<int>(phase_)]))
                       .arg(phase_ != Phase::Hold && phase_ != Phase::Recover
                                ? QString()
                                : QString::fromLatin1(Soak::TraitsOf(step_.Kind).Name));
    QTextDocument* doc = form_->tabSysCfg->mmLog->document();
    for (int i = std::max(0, doc->blockCount() - 6); i < doc->blockCount(); ++i)
        text += QStringLiteral(" | ") + doc->findBlockByNumber(i).text();
    return text;
}

void SoakRun::OnReport(const Engine::Report& report) {
    if (const auto* reading = std::get_if<Engine::Reading>(&report)) {
        AfterReading(*reading);
    } else if (const auto* lost = std::get_if<Engine::Lost>(&report)) {
        if (!recording_)
            return;
        (lost->Interface ? logInterfaceLost_ : logEncoderLost_) += 1;
        if (phase_ == Phase::Hold || phase_ == Phase::Recover)
            (lost->Interface ? interfaceLossesNow_ : encoderLossesNow_) += 1;
    } else if (const auto* labels = std::get_if<Engine::EncoderLabels>(&report)) {
        // Every encoder search tick starts by resetting the labels; one that
        // found the encoder fills them in.
        if (labels->Additional.empty()) {
            if (recording_ && searchTickOpen_)
                ++encoderMisses_;
            searchTickOpen_ = true;
        } else {
            lastSearchMultiturn_ = labels->Additional == "Multiturn: True";
        }
    } else if (const auto* connection = std::get_if<Engine::EncoderConnection>(&report)) {
        if (!connection->Connected)
            return;
        searchTickOpen_ = false;
        if (!recording_)
            return;
        ++encoderFound_;
        wrongKindEpisode_ = lastSearchMultiturn_ != options_.Multiturn;
        wrongKindRowsNow_ = 0;
        if (wrongKindEpisode_) {
            ++wrongKindFound_;
            wrongKindSinceCheck_ = true;
        }
    } else if (const auto* info = std::get_if<Engine::InterfaceInfo>(&report)) {
        // An interface search tick starts by emptying the group; the
        // handshake fills it.
        if (info->Port.empty())
            searchTickOpen_ = false;
        else if (recording_)
            ++interfaceFound_;
    } else if (const auto* path = std::get_if<Engine::RecordingPath>(&report)) {
        FollowRecording(path->Path);
    } else if (const auto* ended = std::get_if<Engine::RecordingEnded>(&report)) {
        if (ended->Failed && phase_ != Phase::Done)
            Fail("the recording failed");
    }
}

void SoakRun::AfterReading(const Engine::Reading& reading) {
    if (!recording_) {
        if (phase_ == Phase::Starting && csvPath_.empty() &&
            !form_->tabEncPos->cbShranjujMeritvePos->isChecked())
            StartRecording();
        return;
    }
    if (!form_->tabEncPos->cbShranjujMeritvePos->isChecked()) {
        Fail("the recording stopped by itself");
        recording_ = false;
        return;
    }
    if (reading.Multiturn != options_.Multiturn) {
        // Only right after a search misread the kind, and only until the
        // next position-only tick finds the replies failing their check.
        ++wrongKindRows_;
        if (!wrongKindEpisode_ || ++wrongKindRowsNow_ > MaxWrongKindRows)
            Fail("a reading taken with the wrong encoder kind");
    }
    ++goodTicks_;
    Pending p;
    p.Row = {reading.RawHex, reading.Position.MT_value, reading.Position.ST_value,
             reading.Position.ErrBit, reading.Position.WarnBit};
    p.TickMs = Now();
    // A failed signal-level or calibration reply is shown as nothing.
    p.FailedAux = reading.Command == Velor_konstante::Cmd::Skipped;
    if (p.FailedAux)
        ++failedAuxTicks_;
    if (reading.Command == Velor_konstante::Cmd::Position)
        ++goodNulTicks_;
    if (options_.ReportRows) {
        std::printf("row %llu %s %d %u %d %d\n", static_cast<unsigned long long>(goodTicks_),
                    p.Row.RawHex.c_str(), p.Row.MT, p.Row.ST, p.Row.Error ? -1 : 0,
                    p.Row.Warning ? -1 : 0);
        std::fflush(stdout);
    }
    pending_.push_back(std::move(p));

    if (phase_ == Phase::Hold)
        ++goodTicksInHold_;
    if (phase_ == Phase::Recover && Now() > clearedMs_) {
        const auto& traits = Soak::TraitsOf(step_.Kind);
        KindFigures& k = kinds_[static_cast<int>(step_.Kind)];
        const qint64 took = Now() - clearedMs_;
        ++k.Recovered;
        k.MaxRecoveryMs = std::max(k.MaxRecoveryMs, took);
        k.TotalRecoveryMs += took;
        k.InterfaceLosses += interfaceLossesNow_;
        k.EncoderLosses += encoderLossesNow_;
        const std::string losses = " (" + std::to_string(interfaceLossesNow_) + " interface, " +
                                   std::to_string(encoderLossesNow_) + " encoder losses)";
        using Soak::Loss;
        const bool wrongLoss =
            (traits.Effect == Loss::Encoder &&
             (encoderLossesNow_ == 0 || interfaceLossesNow_ != 0)) ||
            (traits.Effect == Loss::Interface &&
             (interfaceLossesNow_ == 0 || encoderLossesNow_ != 0)) ||
            (traits.Effect == Loss::EncoderMaybe && interfaceLossesNow_ != 0) ||
            (traits.Effect == Loss::None && (interfaceLossesNow_ + encoderLossesNow_) != 0);
        if (wrongLoss)
            Fail(std::string(traits.Name) + " was reported wrongly" + losses);
        if (took > Soak::RecoveryBoundMs(traits.Effect))
            Fail(std::string(traits.Name) + ": reading again only after " + std::to_string(took) +
                 " ms");
        EnterCalm();
    }
}

void SoakRun::Heartbeat() {
    const qint64 now = Now();
    const qint64 gap = now - lastBeatMs_ - heartbeat_.interval();
    lastBeatMs_ = now;
    if (gap > maxStallMs_)
        maxStallMs_ = gap;
    if (gap > 1000)
        ++stallsOverSecond_;
    if (gap > Soak::LongestBusyMs)
        Fail("the window did not process events for " + std::to_string(gap) + " ms");
}

void SoakRun::Check() {
    const int checks = ++checks_;
    VerifyRowsOnDisk();
    if (checks % SampleEveryChecks == 0 && recording_)
        SampleMemory();
    // A misread kind costs one encoder loss by design, also in a calm phase.
    if (phase_ == Phase::Calm && !std::exchange(wrongKindSinceCheck_, false)) {
        const auto ticks = static_cast<qint64>(goodTicks_);
        if (ticks == lastGrowthCheckTicks_)
            Fail("no reading for " + std::to_string(CheckEveryMs) + " ms with no fault held");
        if (!form_->band->lblPosUnit->text().endsWith(QStringLiteral(" °")))
            Fail("no position shown with no fault held: \"" +
                 form_->band->lblPosUnit->text().toStdString() + "\"");
    }
    lastGrowthCheckTicks_ = static_cast<qint64>(goodTicks_);
    if (checks % 30 == 0)
        std::fprintf(
            stderr, "soak: %.1f min, %llu rows, %d faults, %d failures\n",
            static_cast<double>(Now()) / 60000.0, static_cast<unsigned long long>(goodTicks_),
            [this] {
                int n = 0;
                for (const auto& k : kinds_)
                    n += k.Injected;
                return n;
            }(),
            failureCount_);
}

void SoakRun::StartRecording() {
    if (options_.AttachLink.isEmpty())
        statsAtStart_ = sim_.Stats();
    for (QCheckBox* box : {form_->tabEncPos->cbPosPlot, form_->tabInstCal->cbAirGap})
        if (!box->isChecked())
            box->click();
    form_->tabEncPos->seCasShranjevanja->setValue(0);
    recordingStartMs_ = Now();
    form_->tabEncPos->cbShranjujMeritvePos->click();
}

void SoakRun::FollowRecording(const std::string& path) {
    if (recording_ || phase_ != Phase::Starting)
        return;
    csvPath_ = path;
    follower_.emplace(csvPath_);
    recording_ = true;
    if (options_.ReportRows) {
        std::printf("recording %s\n", csvPath_.c_str());
        std::fflush(stdout);
    }
    SampleMemory();
    SwitchPage();
    EnterCalm();
}

void SoakRun::EnterCalm() {
    phase_ = Phase::Calm;
    step_ = schedule_.Next();
    const qint64 left = static_cast<qint64>(options_.Minutes * 60000) - Now();
    phaseTimer_.start(
        static_cast<int>(options_.AttachLink.isEmpty() ? step_.CalmMs : std::max<qint64>(left, 0)));
}

void SoakRun::InjectFault() {
    const auto& traits = Soak::TraitsOf(step_.Kind);
    if (!sim_.Command(std::string(traits.Inject))) {
        Fail("k730-sim does not take commands any more");
        Finish();
        return;
    }
    injectedMs_ = Now();
    if (step_.Kind == Soak::FaultKind::ErrorBit)
        errorOn_.emplace_back(injectedMs_, -1);
    if (step_.Kind == Soak::FaultKind::WarningBit)
        warningOn_.emplace_back(injectedMs_, -1);
    ++kinds_[static_cast<int>(step_.Kind)].Injected;
    interfaceLossesNow_ = 0;
    encoderLossesNow_ = 0;
    goodTicksInHold_ = 0;
    phase_ = Phase::Hold;
    phaseTimer_.start(step_.HoldMs);
}

void SoakRun::ClearFault() {
    const auto& traits = Soak::TraitsOf(step_.Kind);
    (void)sim_.Command(std::string(traits.Clear));
    clearedMs_ = Now();
    if (step_.Kind == Soak::FaultKind::ErrorBit)
        errorOn_.back().second = clearedMs_;
    if (step_.Kind == Soak::FaultKind::WarningBit)
        warningOn_.back().second = clearedMs_;
    using Soak::Loss;
    const bool readingExpected =
        traits.Effect == Loss::None ||
        (traits.Effect == Loss::InterfaceMaybe && interfaceLossesNow_ + encoderLossesNow_ == 0);
    if (readingExpected && goodTicksInHold_ == 0)
        Fail(std::string(traits.Name) + ": no reading in " + std::to_string(step_.HoldMs) +
             " ms although it should go on");
    phase_ = Phase::Recover;
    phaseTimer_.start(Soak::RecoveryBoundMs(traits.Effect));
}

void SoakRun::RecoveryOverdue() {
    const auto& traits = Soak::TraitsOf(step_.Kind);
    const qint64 waited = Now() - clearedMs_;
    if (waited >= GiveUpRecoveryMs) {
        Fail(std::string(traits.Name) + ": not reading " + std::to_string(waited) +
             " ms after the fault was cleared; giving up");
        Finish();
        return;
    }
    // Reported once at the bound by the tick that recovers; keep waiting.
    phaseTimer_.start(1000);
}

void SoakRun::SwitchPage() {
    if (phase_ == Phase::Done)
        return;
    struct Choice {
        QWidget* Page;
        int Weight;
    };
    // Installation most, for the air-gap chart; every other page some of the time.
    const Choice choices[] = {{form_->tabSysCfg, 10},  {form_->tabEncIdent, 10},
                              {form_->tabEncPos, 20},  {form_->tabEncStatus, 15},
                              {form_->tabInstCal, 35}, {form_->tabEncConfig, 10}};
    int draw = static_cast<int>(pageRng_() % 100);
    for (const Choice& c : choices) {
        if (draw < c.Weight) {
            form_->Pages->setCurrentWidget(c.Page);
            break;
        }
        draw -= c.Weight;
    }
    pageTimer_.start(3000 + static_cast<int>(pageRng_() % 12000));
}

void SoakRun::VerifyRowsOnDisk() {
    if (!follower_)
        return;
    std::vector<std::string> lines;
    std::string error;
    if (!follower_->Poll(lines, error)) {
        Fail(error);
        return;
    }
    for (std::string& line : lines) {
        if (line.empty() || line.back() != '\r') {
            Fail("a line of the recording does not end with CR LF: \"" + line + "\"");
            continue;
        }
        line.pop_back();
        if (!headerSeen_) {
            headerSeen_ = true;
            if (line != Soak::CsvHeader)
                Fail("the recording's header is \"" + line + "\"");
            continue;
        }
        unmatched_.emplace_back(Now(), std::move(line));
    }
    // The engine writes a row before it reports the reading: a row may be on
    // disk a moment before its reading is shown.
    while (!unmatched_.empty() && !pending_.empty()) {
        const std::string line = std::move(unmatched_.front().second);
        unmatched_.pop_front();
        ++rowsOnDisk_;
        std::string why;
        const std::optional<Soak::CsvRow> row = Soak::ParseCsvRow(line, why);
        const Pending p = std::move(pending_.front());
        pending_.pop_front();
        if (!row) {
            Fail("row " + std::to_string(rowsOnDisk_) + ": " + why);
            continue;
        }
        const std::string diff = Soak::CompareRow(*row, p.Row);
        if (!diff.empty())
            Fail("row " + std::to_string(rowsOnDisk_) + ": " + diff);
        if (row->TimeMs < lastRowTime_)
            Fail("row " + std::to_string(rowsOnDisk_) + ": time goes back");
        lastRowTime_ = row->TimeMs;
        // The row is made before the reading is shown; after it may come the
        // supply status query, one more exchange, and the window's frame.
        const qint64 shown = p.TickMs - recordingStartMs_;
        const qint64 lag = shown - static_cast<qint64>(row->TimeMs);
        if (lag < -RowTimeSlackMs || lag > ReplyTimeoutMs + RowTimeSlackMs)
            Fail("row " + std::to_string(rowsOnDisk_) + ": time " + std::to_string(row->TimeMs) +
                 " ms, its reading was shown at " + std::to_string(shown) + " ms");
        CheckFlags(p);
    }
    while (!unmatched_.empty() && Now() - unmatched_.front().first > UnshownRowMs) {
        ++rowsOnDisk_;
        Fail("row " + std::to_string(rowsOnDisk_) + " is on disk but no reading was shown");
        unmatched_.pop_front();
    }
    // Every row is flushed as it is written: a tick that is over is on disk.
    if (!pending_.empty()) {
        Fail(std::to_string(pending_.size()) + " rows written by finished ticks are not on disk");
        // Kept, so rows that arrive late still line up; dropped only when
        // nothing seems to reach the disk at all.
        if (pending_.size() > MaxPendingRows)
            pending_.clear();
    }
    if (follower_->PartialBytes() != 0)
        Fail("the recording ends in half a line between ticks");
}

void SoakRun::CheckFlags(const Pending& p) {
    // A failed auxiliary reply's row repeats the last good reading's flags.
    if (p.FailedAux)
        return;
    const std::pair<const std::vector<std::pair<qint64, qint64>>*, const char*> flags[] = {
        {&errorOn_, "Error"}, {&warningOn_, "Warning"}};
    for (const auto& [spans, name] : flags) {
        const bool set = spans == &errorOn_ ? p.Row.Error : p.Row.Warning;
        if (Within(*spans, p.TickMs, FlagGraceMs, 0) && !set)
            Fail(std::string(name) + " column 0 while the encoder reported it");
        if (!Within(*spans, p.TickMs, 0, FlagGraceMs) && set)
            Fail(std::string(name) + " column -1 while the encoder did not report it");
    }
}

void SoakRun::SampleMemory() {
    samples_.push_back({Now(), RssKb(), form_->tabSysCfg->mmLog->document()->characterCount(),
                        form_->tabInstCal->serSignal->Count()});
}

void SoakRun::Fail(const std::string& what) {
    ++failureCount_;
    std::string line = "[";
    line += std::to_string(Now() / 1000);
    line += " s] ";
    line += what;
    std::fprintf(stderr, "soak: FAIL %s\n", line.c_str());
    if (static_cast<int>(failures_.size()) < MaxListedFailures)
        failures_.push_back(line);
}

void SoakRun::Finish() {
    if (phase_ == Phase::Done)
        return;
    phase_ = Phase::Done;
    phaseTimer_.stop();
    pageTimer_.stop();
    if (recording_)
        SampleMemory();
    // The user unticks the box, then the program ends: the engine takes the
    // request, closes the file whole and stops; what it reported until then
    // is shown, and every row it wrote must be on disk.
    if (form_->tabEncPos->cbShranjujMeritvePos->isChecked())
        form_->tabEncPos->cbShranjujMeritvePos->click();
    engine_.reset();
    form_->DrainReports();
    VerifyRowsOnDisk();
    heartbeat_.stop();
    check_.stop();
    emit Finished();
}
