#pragma once
// The Installation page's "Limits" group: the limits a technician sets for an
// installation, kept between runs, and the verdict line that judges the
// readings against them as they come.

#include "encoder/Enkoderji_splosno.h"
#include "monitor/installation_verdict.h"

#include <QGroupBox>
#include <array>
#include <memory>

class LampPanel;
class QLineEdit;
class QSettings;
struct InstallationReportPage;

class LimitsPanel final : public QGroupBox {
    Q_OBJECT
public:
    /// Fills the fields from `settings` (under "limits/"), which keeps what
    /// is typed; null: nothing is kept.
    explicit LimitsPanel(std::shared_ptr<QSettings> settings, QWidget* parent = nullptr);

    QLineEdit* edGapMinMm{};
    QLineEdit* edGapMaxMm{};
    QLineEdit* edSignalMin{};
    QLineEdit* edMaxWarnings{};
    QLineEdit* edMaxErrors{};
    QLineEdit* edRunoutMaxMm{};
    LampPanel* pnlVerdict{}; ///< the verdict line, coloured by the verdict

    /// The limits as the fields hold them: an empty field, or one whose text
    /// is not (yet) an acceptable number, is not checked. Any limit set asks
    /// for a whole turn too.
    [[nodiscard]] Monitor::InstallationLimits Limits() const;
    /// Adds one reading as the engine reported it and shows the verdict.
    void Add(unsigned char command, const TEncoderPosition& position, const TEncoderAuxData& aux);
    /// Starts the verdict over.
    void Clear();
    [[nodiscard]] const Monitor::InstallationVerdict& Verdict() const { return verdict_; }
    [[nodiscard]] Monitor::VerdictResult Result() const { return verdict_.Judge(Limits()); }

    /// Fills in the installation report's limits as set, and the verdict with
    /// every reason and the turn's coverage.
    void FillReport(InstallationReportPage& page) const;

private:
    struct Field {
        QLineEdit* Edit;
        const char* Key; ///< under "limits/"
        QString Caption; ///< the report's; the page adds the unit in brackets
        QString Unit;    ///< after the value in the report
        QString Hint;
    };
    void Edited(const Field& field);
    void ShowVerdict();

    std::shared_ptr<QSettings> settings_;
    std::array<Field, 6> fields_{};
    Monitor::InstallationVerdict verdict_;
};
