// The layout, control by control: every visible control's type, caption and
// place in the window, page by page, in three states of the window, against
// the listing kept in layout.txt. A change of layout shows as the lines that
// differ; to take a deliberate one, run the test with TESSORAN_LAYOUT_OUT set
// to a path and compare the listing written there. Also what a screen reader
// calls each field.
#include "app/widgets/spin_edit.h"
#include "window_harness.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QtTest>
#include <algorithm>
#include <map>

namespace {
QString Caption(const QWidget* w) {
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (const auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (const auto* c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    return {};
}

/// One line per visible control of the window as it is now, sorted.
QStringList Controls(TMainForm& f, const QString& state) {
    QStringList lines;
    for (QWidget* w : f.findChildren<QWidget*>()) {
        if (!w->isVisible() || w->window() != &f)
            continue;
        const QRect r(w->mapTo(&f, QPoint(0, 0)), w->size());
        // A page is a page, whatever its class.
        const QString type = f.Pages->indexOf(w) >= 0
                                 ? QStringLiteral("page")
                                 : QString::fromLatin1(w->metaObject()->className());
        lines << QStringLiteral("%1 | %2 | %3 %4 %5x%6 | %7")
                     .arg(state, type)
                     .arg(r.x())
                     .arg(r.y())
                     .arg(r.width())
                     .arg(r.height())
                     .arg(Caption(w)
                              .replace(QLatin1Char('\r'), QStringLiteral("\\r"))
                              .replace(QLatin1Char('\n'), QStringLiteral("\\n")));
    }
    lines.sort();
    return lines;
}

/// Every page that can be shown, one after another.
QStringList AllPages(TMainForm& f, const QString& state) {
    QStringList lines;
    for (int i = 0; i < f.Pages->count(); ++i) {
        if (!f.Pages->isTabVisible(i))
            continue;
        f.Pages->setCurrentIndex(i);
        QCoreApplication::processEvents();
        lines << Controls(f, state + QLatin1Char('/') + f.Pages->tabText(i).trimmed());
    }
    return lines;
}

/// The fields a user types into or reads from, each with what a screen
/// reader calls it.
std::vector<std::pair<QWidget*, QString>> Fields(TMainForm& f) {
    std::vector<std::pair<QWidget*, QString>> fields;
    for (QWidget* w : f.findChildren<QWidget*>()) {
        const bool field = qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
                           qobject_cast<QComboBox*>(w) || qobject_cast<QPlainTextEdit*>(w);
        // A spin box's or a combo box's line edit is a part of it.
        QWidget* parent = w->parentWidget();
        if (field && !qobject_cast<QAbstractSpinBox*>(parent) && !qobject_cast<QComboBox*>(parent))
            fields.emplace_back(w,
                                QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name));
    }
    return fields;
}
} // namespace

class TestWindowLayout : public QObject {
    Q_OBJECT
private slots:
    void everyControlStaysWhereItWas() {
        WindowHarness h;
        h.recordingFolder = [] { return QDir::tempPath(); };
        h.resultsFile.reset(); // the History page names no file of the test's
        h.AddBox();
        TMainForm& f = h.Start();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));

        QStringList lines = AllPages(f, QStringLiteral("start"));
        QTest::keyClick(&f, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        lines << AllPages(f, QStringLiteral("service"));
        QVERIFY(h.Connect());
        h.Read(8);
        lines << AllPages(f, QStringLiteral("connected"));

        const QString out = qEnvironmentVariable("TESSORAN_LAYOUT_OUT");
        if (!out.isEmpty()) {
            QFile file(out);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
            file.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
        }
        QFile kept(QStringLiteral(TESSORAN_LAYOUT_LISTING));
        QVERIFY(kept.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList expected =
            QString::fromUtf8(kept.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (int i = 0; i < std::max(lines.size(), expected.size()); ++i) {
            const QString now = i < lines.size() ? lines[i] : QString();
            const QString was = i < expected.size() ? expected[i] : QString();
            QVERIFY2(now == was,
                     qPrintable(
                         QStringLiteral("line %1\n  now: %2\n  was: %3").arg(i + 1).arg(now, was)));
        }
    }

    void everyFieldIsNamedByItsLabel() {
        WindowHarness h;
        TMainForm& f = h.Start();
        // No label of their own: the button beside each names it, or its use.
        const std::map<const QWidget*, QString> unlabelled = {
            {f.tabEncConfig->seSetZero, QStringLiteral("Set zero offset (counts)")},
            {f.tabEncConfig->seSetMultiturn, QStringLiteral("Preset multiturn counter")},
            {f.tabEncPos->mmShranjujIme, QStringLiteral("Recording file")}};
        const QList<QLabel*> labels = f.findChildren<QLabel*>();
        int labelled = 0;
        for (const auto& [input, name] : Fields(f)) {
            QWidget* field = input; // a lambda takes no structured binding in clang 14
            const auto label = std::find_if(labels.begin(), labels.end(),
                                            [&](QLabel* l) { return l->buddy() == field; });
            if (label == labels.end()) {
                const auto named = unlabelled.find(field);
                QVERIFY2(named != unlabelled.end(), qPrintable(name));
                QCOMPARE(name, named->second);
                continue;
            }
            ++labelled;
            const auto* list = qobject_cast<QComboBox*>(field);
            if (list && !list->isEditable()) {
                // Named by its choice on Linux; a screen reader reads the
                // label through its relation.
                bool related = false;
                for (const auto& [other, relation] :
                     QAccessible::queryAccessibleInterface(field)->relations(QAccessible::Label))
                    related = related || other->object() == *label;
                QVERIFY2(related, qPrintable((*label)->text()));
            } else {
                QCOMPARE(name, (*label)->text());
            }
        }
        QCOMPARE(labelled, 12);
    }
};

QTEST_MAIN(TestWindowLayout)
#include "test_window_layout.moc"
