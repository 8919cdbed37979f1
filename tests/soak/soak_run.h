#pragma once
// One bench shift of the real program (its engine on its own thread, the
// window drawing what it reports) against k730-sim: recording and both
// charts on, pages switched now and then, a seeded series of faults, and the
// checks a technician would make along the way (is it alive, is it reading
// again, is the file growing) and afterwards (is every row there and right).

#include "app/Velor_SPI_Main.h"
#include "app/pages/encoder_config_page.h"
#include "app/pages/encoder_identification_page.h"
#include "app/pages/installation_page.h"
#include "app/pages/position_page.h"
#include "app/pages/status_page.h"
#include "app/pages/system_config_page.h"
#include "app/top_band.h"
#include "engine/engine_thread.h"
#include "fault_schedule.h"
#include "recording_audit.h"
#include "sim_link.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTemporaryDir>
#include <QTimer>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

struct SoakOptions {
    double Minutes = 2;
    std::uint64_t Seed = 1;
    QString SimProgram;      ///< k730-sim to start
    QString AttachLink;      ///< set: read this running simulator, inject no faults
    QString Folder;          ///< recording folder; empty: a temporary one
    bool ReportRows = false; ///< one line per row on standard output, as written
    bool Multiturn = true;
};

/// Message boxes would stop the run until someone clicks; they are counted.
class CountingBoxes final : public MessageBoxes {
public:
    void Show(QWidget*, Kind kind, const QString& text) override;
    /// When and in what situation a box came; set by the run.
    std::function<QString()> Context;
    std::vector<QString> Texts;
};

class SoakRun : public QObject {
    Q_OBJECT
public:
    explicit SoakRun(SoakOptions options);
    ~SoakRun() override;

    /// Starts the simulator and the window; false with `error` set.
    bool Start(QString& error);
    /// After the run: the final checks, then the figures. True when all passed.
    bool Report();

signals:
    void Finished();

private:
    enum class Phase { Starting, Calm, Hold, Recover, Done };

    struct KindFigures {
        int Injected = 0;
        int Recovered = 0;
        int InterfaceLosses = 0;
        int EncoderLosses = 0;
        qint64 MaxRecoveryMs = 0;
        qint64 TotalRecoveryMs = 0;
    };
    struct Pending {
        Soak::ExpectedRow Row;
        qint64 TickMs = 0;      ///< run clock when the tick ended
        bool FailedAux = false; ///< a failed signal-level or calibration reply
    };
    struct Sample {
        qint64 Ms;
        long RssKb;
        qint64 LogChars;
        int GapPoints;
    };

    /// Every report, as the window shows it: the run's view of the cycles.
    void OnReport(const Engine::Report& report);
    void AfterReading(const Engine::Reading& reading);
    void FollowRecording(const std::string& path);
    void Heartbeat();
    void Check();
    void StartRecording();
    void EnterCalm();
    void InjectFault();
    void ClearFault();
    void RecoveryOverdue();
    void Finish();
    void SwitchPage();
    void VerifyRowsOnDisk();
    void CheckFlags(const Pending& p);
    void SampleMemory();
    void Fail(const std::string& what);
    [[nodiscard]] qint64 Now() const { return clock_.elapsed(); }
    [[nodiscard]] QString Situation() const;

    SoakOptions options_;
    QElapsedTimer clock_;
    std::optional<QTemporaryDir> tempDir_;
    QString folder_;
    QString link_;
    SimLink sim_;
    std::shared_ptr<CountingBoxes> boxes_;
    std::unique_ptr<TMainForm> form_;
    std::shared_ptr<Engine::EngineChannel> channel_;
    std::unique_ptr<Engine::EngineThread> engine_;

    QTimer heartbeat_;
    QTimer check_;
    QTimer phaseTimer_;
    QTimer pageTimer_;
    Phase phase_ = Phase::Starting;
    Soak::FaultSchedule schedule_;
    Soak::FaultStep step_;
    std::mt19937_64 pageRng_;
    qint64 injectedMs_ = 0;
    qint64 clearedMs_ = -1;
    int goodTicksInHold_ = 0;
    int interfaceLossesNow_ = 0;
    int encoderLossesNow_ = 0;
    std::array<KindFigures, Soak::FaultKindCount> kinds_{};

    // The recording, as the ticks wrote it and as the disk holds it.
    bool recording_ = false;
    qint64 recordingStartMs_ = 0;
    std::string csvPath_;
    std::optional<Soak::LineFollower> follower_;
    bool headerSeen_ = false;
    std::deque<Pending> pending_;
    /// Rows on disk whose reading the window has not shown yet, with the run
    /// clock when they were read: the engine writes a row before it reports.
    std::deque<std::pair<qint64, std::string>> unmatched_;
    std::uint64_t goodTicks_ = 0;
    std::uint64_t goodNulTicks_ = 0;
    std::uint64_t failedAuxTicks_ = 0;
    std::uint64_t rowsOnDisk_ = 0;
    std::uint32_t lastRowTime_ = 0;
    qint64 lastGrowthCheckTicks_ = 0;

    // What the cycles did while recording.
    int encoderFound_ = 0;
    int encoderMisses_ = 0; ///< search ticks that search again
    int wrongKindFound_ = 0;
    bool lastSearchMultiturn_ = false;
    bool searchTickOpen_ = false; ///< an encoder search tick has not found yet
    bool wrongKindEpisode_ = false;
    bool wrongKindSinceCheck_ = false;
    int wrongKindRowsNow_ = 0;
    std::uint64_t wrongKindRows_ = 0;
    int interfaceFound_ = 0;
    int logInterfaceLost_ = 0;
    int logEncoderLost_ = 0;
    std::vector<std::pair<qint64, qint64>> errorOn_; ///< run-clock spans, end -1 while on
    std::vector<std::pair<qint64, qint64>> warningOn_;

    std::map<std::string, std::uint64_t> statsAtStart_;
    qint64 lastBeatMs_ = 0;
    int checks_ = 0;
    qint64 maxStallMs_ = 0;
    int stallsOverSecond_ = 0;
    std::vector<Sample> samples_;
    std::vector<std::string> failures_;
    int failureCount_ = 0;
};
