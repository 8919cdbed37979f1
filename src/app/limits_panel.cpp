// The limits, the settings that keep them and the verdict line of the
// Installation page.
#include "app/limits_panel.h"

#include "app/installation_report.h"
#include "app/widgets/lamp_panel.h"
#include "app/window_colors.h"

#include <QApplication>
#include <QDoubleValidator>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>

namespace {
constexpr double GapTopMm = 20.0;
constexpr int GapDecimals = 3;
constexpr int LevelTop = 0xFFFF; // the level is four hexadecimal digits
constexpr int CountTop = 999999999;

QString Key(const char* name) {
    return QStringLiteral("limits/") + QLatin1String(name);
}

/// The field's number; unset while it is empty or not yet acceptable.
std::optional<double> ValueOf(const QLineEdit* edit) {
    if (!edit->hasAcceptableInput())
        return std::nullopt;
    bool ok = false;
    const double value = edit->validator()->locale().toDouble(edit->text(), &ok);
    return ok ? std::optional(value) : std::nullopt;
}

std::optional<std::size_t> CountOf(const QLineEdit* edit) {
    const auto value = ValueOf(edit);
    return value ? std::optional(static_cast<std::size_t>(*value)) : std::nullopt;
}
} // namespace

LimitsPanel::LimitsPanel(std::shared_ptr<QSettings> settings, QWidget* parent)
    : QGroupBox(QStringLiteral(" Limits "), parent), settings_(std::move(settings)) {
    const auto edit = [this](QValidator* validator) {
        auto* e = new QLineEdit(this);
        validator->setParent(e);
        e->setValidator(validator);
        e->setPlaceholderText(QStringLiteral("not set"));
        e->setFixedWidth(64);
        return e;
    };
    const auto gap = [] {
        auto* v = new QDoubleValidator(0.0, GapTopMm, GapDecimals);
        v->setNotation(QDoubleValidator::StandardNotation);
        return v;
    };
    edGapMinMm = edit(gap());
    edGapMaxMm = edit(gap());
    edSignalMin = edit(new QIntValidator(0, LevelTop));
    edMaxWarnings = edit(new QIntValidator(0, CountTop));
    edMaxErrors = edit(new QIntValidator(0, CountTop));
    edRunoutMaxMm = edit(gap());
    fields_ = {{{edGapMinMm, "gapMinMm", QStringLiteral("Air gap min"), QStringLiteral(" mm"),
                 QStringLiteral("No air-gap point may be below this")},
                {edGapMaxMm, "gapMaxMm", QStringLiteral("Air gap max"), QStringLiteral(" mm"),
                 QStringLiteral("No air-gap point may be above this")},
                {edSignalMin, "signalMin", QStringLiteral("Signal level min"), QString(),
                 QStringLiteral("No signal level may be below this")},
                {edMaxWarnings, "maxWarnings", QStringLiteral("Max warnings"), QString(),
                 QStringLiteral("Most readings with the warning bit allowed")},
                {edMaxErrors, "maxErrors", QStringLiteral("Max errors"), QString(),
                 QStringLiteral("Most readings with the error bit allowed")},
                {edRunoutMaxMm, "runoutMaxMm", QStringLiteral("Runout max"), QStringLiteral(" mm"),
                 QStringLiteral("The once-a-turn rise and fall of the air gap (peak to peak) "
                                "may not be above this; judged after a whole turn")}}};

    // Three label-field pairs a row, the verdict to their right over both rows.
    constexpr int PairsPerRow = 3;
    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(4);
    grid->setContentsMargins(8, 4, 8, 6);
    for (int i = 0; i < static_cast<int>(fields_.size()); ++i) {
        const Field& f = fields_[i];
        const QString unit = f.Unit.trimmed();
        const int row = i / PairsPerRow;
        const int column = 2 * (i % PairsPerRow);
        auto* label = new QLabel(
            f.Caption +
            (unit.isEmpty() ? QString() : QStringLiteral(" (") + unit + QLatin1Char(')')));
        label->setBuddy(f.Edit); // a screen reader names the field after it
        if (f.Edit == edRunoutMaxMm) {
            // Its caption is the longest: label and a narrower field share the
            // two cells, so the columns above keep their width.
            f.Edit->setFixedWidth(48);
            auto* pair = new QHBoxLayout;
            pair->addWidget(label);
            pair->addStretch(1);
            pair->addWidget(f.Edit);
            grid->addLayout(pair, row, column, 1, 2);
        } else {
            grid->addWidget(label, row, column);
            grid->addWidget(f.Edit, row, column + 1);
        }
        f.Edit->setToolTip(f.Hint);
        // Kept as numbers, written back in the field's own locale.
        bool ok = false;
        const double kept = settings_ ? settings_->value(Key(f.Key)).toDouble(&ok) : 0.0;
        if (ok)
            f.Edit->setText(qobject_cast<const QIntValidator*>(f.Edit->validator())
                                ? QString::number(static_cast<qlonglong>(kept))
                                : f.Edit->validator()->locale().toString(
                                      kept, 'g', QLocale::FloatingPointShortest));
        connect(f.Edit, &QLineEdit::textChanged, this, [this, i] { Edited(fields_[i]); });
    }
    pnlVerdict = new LampPanel(QString(), WindowColors::ButtonFace(), this);
    pnlVerdict->setWordWrap(true);
    QFont bold = pnlVerdict->font();
    bold.setBold(true);
    pnlVerdict->setFont(bold);
    pnlVerdict->setMinimumWidth(140);
    grid->addWidget(pnlVerdict, 0, 2 * PairsPerRow, 2, 1);
    grid->setColumnStretch(2 * PairsPerRow, 1);
    ShowVerdict();
}

Monitor::InstallationLimits LimitsPanel::Limits() const {
    Monitor::InstallationLimits limits;
    limits.GapMinMm = ValueOf(edGapMinMm);
    limits.GapMaxMm = ValueOf(edGapMaxMm);
    limits.SignalMin = ValueOf(edSignalMin);
    limits.MaxWarnings = CountOf(edMaxWarnings);
    limits.MaxErrors = CountOf(edMaxErrors);
    limits.RunoutMaxMm = ValueOf(edRunoutMaxMm);
    // The line asks for the rest of the turn while it is incomplete: a limit
    // met on the few degrees the shaft stood at says nothing of the others.
    limits.FullTurn = limits.AnySet();
    return limits;
}

void LimitsPanel::Add(unsigned char command, const TEncoderPosition& position,
                      const TEncoderAuxData& aux) {
    if (const auto sample = Monitor::InstallationSampleOf(command, position, aux)) {
        verdict_.Add(*sample);
        ShowVerdict();
    }
}

void LimitsPanel::Clear() {
    verdict_.Clear();
    ShowVerdict();
}

void LimitsPanel::Edited(const Field& field) {
    // Half-typed text is not checked until it is a number in range; red says so.
    const bool pending = !field.Edit->text().isEmpty() && !field.Edit->hasAcceptableInput();
    QPalette palette = QApplication::palette(field.Edit);
    if (pending)
        palette.setColor(QPalette::Text, WindowColors::Red);
    field.Edit->setPalette(palette);
    field.Edit->setToolTip(pending ? field.Hint + QStringLiteral("\nNot a limit yet: not checked")
                                   : field.Hint);
    // What is kept is what is checked.
    if (settings_) {
        if (const auto value = ValueOf(field.Edit))
            settings_->setValue(Key(field.Key), *value);
        else
            settings_->remove(Key(field.Key));
    }
    ShowVerdict();
}

void LimitsPanel::ShowVerdict() {
    const Monitor::VerdictResult result = Result();
    const QString line = QString::fromStdString(Monitor::VerdictLine(result));
    if (pnlVerdict->text() != line)
        pnlVerdict->setText(line);
    const QColor color = VerdictColor(result.Kind);
    pnlVerdict->SetColor(color.isValid() ? color : WindowColors::ButtonFace());
}

void LimitsPanel::FillReport(InstallationReportPage& page) const {
    page.Limits = {QStringLiteral("Limits"), {}};
    for (const Field& f : fields_)
        page.Limits.Rows.emplace_back(f.Caption, ValueOf(f.Edit) ? f.Edit->text() + f.Unit
                                                                 : QStringLiteral("not checked"));

    const Monitor::VerdictResult result = Result();
    page.VerdictName = QString::fromUtf8(Monitor::VerdictName(result.Kind));
    page.VerdictColor = VerdictColor(result.Kind);
    ReportSection& verdict = page.Verdict;
    verdict = {QStringLiteral("Verdict over the chart's readings"), {}};
    if (result.Kind == Monitor::Verdict::NoLimits)
        verdict.Rows.emplace_back(QStringLiteral("Verdict"), QStringLiteral("no limit set"));
    QStringList reasons;
    for (const std::string& reason : result.Reasons)
        reasons << QString::fromStdString(reason);
    if (!reasons.isEmpty())
        verdict.Rows.emplace_back(QStringLiteral("Reasons"), reasons.join(QLatin1Char('\n')));
    verdict.Rows.emplace_back(
        QStringLiteral("Coverage"),
        QStringLiteral("%1 of %2 sectors of %3°, over %4 readings with %5 air-gap points")
            .arg(result.SectorsSeen)
            .arg(Monitor::CoverageSectors)
            .arg(360 / Monitor::CoverageSectors)
            .arg(verdict_.Readings())
            .arg(verdict_.Gaps().Count()));
    const std::optional<Monitor::Runout> runout = verdict_.Runout();
    verdict.Rows.emplace_back(QStringLiteral("Runout"),
                              runout ? QString::fromUtf8(Monitor::RunoutLine(*runout))
                                     : QStringLiteral("after a whole turn"));
}
