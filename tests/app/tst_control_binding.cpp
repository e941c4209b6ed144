#include "control_binding.h"
#include "editor_session.h"
#include "model/control_binding.h"
#include "spin_edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QTabWidget>
#include <QTest>
#include <QValidator>
#include <memory>

namespace model = pictavo::model;
using model::FieldBinding;
using model::ValueKind;

class TestControlBinding : public QObject {
    Q_OBJECT

private:
    QLocale m_locale;
    std::unique_ptr<EditorSession> m_session;
    TMainForm* m_form = nullptr;

    // A window made under the locale, as a user there starts the editor.
    void openWindow(const QString& locale)
    {
        QLocale::setDefault(QLocale(locale));
        m_session = std::make_unique<EditorSession>();
        m_form = m_session->form.get();
    }

    SpinEdit* spin(const char* name)
    {
        auto* box = m_form->findChild<SpinEdit*>(name);
        if (!box)
            qFatal("no %s", name);
        return box;
    }

    void showPageOf(QWidget* control)
    {
        auto* pages = m_form->findChild<QTabWidget*>("pgcntrl1");
        for (QWidget* w = control; w; w = w->parentWidget())
            if (pages->indexOf(w) >= 0)
                pages->setCurrentWidget(w);
    }

    // ASCII digits and minus signs written with the locale's own digits and minus sign.
    static QString native(const QString& ascii)
    {
        const QLocale locale;
        const char32_t zero = locale.zeroDigit().toUcs4().front();
        QString text;
        for (QChar c : ascii) {
            if (c == '-') {
                text += locale.negativeSign();
            } else {
                const char32_t digit = zero + (c.unicode() - '0');
                text += QString::fromUcs4(&digit, 1);
            }
        }
        return text;
    }

    // Types into the box, key by key; keys of characters beyond ASCII are sent
    // with their text alone, as an input method sends them.
    static void type(QWidget* box, const QString& text)
    {
        for (QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClicks(box, QString(c));
            else
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    static int fieldOf(const char* control)
    {
        for (const FieldBinding& b : model::galleryBindings())
            if (b.control == control)
                return b.field;
        qFatal("no binding for %s", control);
        return 0;
    }

    static QString stored(const std::string& value) { return QString::fromStdString(value); }

    static void localeRows()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shownMinus1234");
        QTest::newRow("sv_SE") << "sv_SE" << QString::fromUtf8("\u22121234");
        QTest::newRow("nb_NO") << "nb_NO" << QString::fromUtf8("\u22121234");
        QTest::newRow("fi_FI") << "fi_FI" << QString::fromUtf8("\u22121234");
        QTest::newRow("fa_IR") << "fa_IR" << QString::fromUtf8("\u200E\u2212\u06F1\u06F2\u06F3\u06F4");
        QTest::newRow("ar_EG") << "ar_EG" << QString::fromUtf8("\u061C-\u0661\u0662\u0663\u0664");
        QTest::newRow("mr_IN") << "mr_IN" << QString::fromUtf8("-\u0967\u0968\u0969\u096A");
        QTest::newRow("de_DE") << "de_DE" << "-1234";
        QTest::newRow("C") << "C" << "-1234";
    }

private slots:
    void initTestCase() { m_locale = QLocale(); }

    void cleanup()
    {
        m_session.reset();
        QLocale::setDefault(m_locale);
    }

    void integersShownFromTheProjectAreStoredBack_data() { localeRows(); }
    void integersShownFromTheProjectAreStoredBack()
    {
        QFETCH(QString, locale);
        QFETCH(QString, shownMinus1234);
        openWindow(locale);
        model::TAppletAgent& agent = m_form->agent();
        auto valueFor = [](const FieldBinding& b) {
            return b.minimum < 0 ? -1200 - b.field : std::min(b.maximum, b.minimum + 40 + b.field);
        };
        for (const FieldBinding& b : model::galleryBindings())
            if (b.kind == ValueKind::Integer)
                agent.AppletData.field(b.field) = std::to_string(valueFor(b));
        agent.AppletData.playButtonX = "-1234";
        agent.AppletData.prevButtonX = "-9999";
        ShowGalleryControls(m_form, agent);
        QCOMPARE(spin("spnedt_playButtonX")->text(), shownMinus1234);

        // The box takes what it shows as it is: editing starts from there.
        for (const char* name : {"spnedt_playButtonX", "spnedt_prevButtonX", "spnedt_largeImageWidth"}) {
            QString shown = spin(name)->text();
            int pos = 0;
            QCOMPARE(spin(name)->findChild<QLineEdit*>()->validator()->validate(shown, pos), QValidator::Acceptable);
        }

        model::TAppletData before = agent.AppletData;
        agent.AppletData = model::TAppletData();
        StoreGalleryControls(m_form, agent);
        for (const FieldBinding& b : model::galleryBindings())
            if (b.kind == ValueKind::Integer)
                QCOMPARE(stored(agent.AppletData.field(b.field)), stored(before.field(b.field)));
    }

    // Typed values are read as typed, before the box is left; a value beyond
    // the range is the nearest limit, in the store and in the box once left.
    void typedIntegersAreStoredAsTyped_data() { localeRows(); }
    void typedIntegersAreStoredAsTyped()
    {
        QFETCH(QString, locale);
        openWindow(locale);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        struct Typed {
            const char* control;
            QString keys;
            const char* stored;
        };
        // A decimal fraction rounds, as the box shows the value it stores.
        const QString decimal = QLocale().decimalPoint();
        const Typed cases[] = {
            {"spnedt_thumbImagesHorizontalPadding", native("2") + decimal + native("5"), "3"},
            {"spnedt_descriptionBoxHeight", "7" + decimal + "4", "7"},
            {"spnedt_playButtonX", native("-1234"), "-1234"},
            {"spnedt_playButtonY", "-567", "-567"},
            {"spnedt_largeImageWidth", native("667"), "667"},
            {"spnedt_largeImageHeight", "321", "321"},
            {"spnedt_focusedBoxBorderAlpha", native("150"), "100"},
            {"spnedt_thumbImageWidth", "12000", "9999"},
            {"spnedt_thumbImageHeight", native("12000"), "9999"},
            {"spnedt_prevButtonX", "-12000", "-9999"},
            {"spnedt_nextButtonX", native("-12000"), "-9999"},
            {"spnedt_imageTitleFontSize", native("0"), "1"},
        };
        m_form->findChild<QCheckBox*>("ckbx_showDescriptionBox")->setChecked(true);
        model::TAppletAgent& agent = m_form->agent();
        for (const Typed& c : cases) {
            SpinEdit* box = spin(c.control);
            showPageOf(box);
            QVERIFY(box->isVisible() && box->isEnabled());
            box->setFocus();
            box->selectAll();
            type(box, c.keys);
            QCOMPARE(box->text(), c.keys);  // every key was taken
            QVERIFY(box->hasFocus());
            StoreGalleryControls(m_form, agent);
            const int field = fieldOf(c.control);
            QCOMPARE(stored(agent.AppletData.field(field)), QString(c.stored));

            spin("spnedt_autoPlayDelay")->setFocus();
            QVERIFY(!box->hasFocus());
            QCOMPARE(QString::number(box->value()), QString(c.stored));
            StoreGalleryControls(m_form, agent);
            QCOMPARE(stored(agent.AppletData.field(field)), QString(c.stored));
        }
    }

    // Texts longer than a line edit's default limit of 32767 characters.
    void textsAreNeverCut()
    {
        openWindow("C");
        model::TAppletAgent& agent = m_form->agent();
        agent.Items.push_back(model::TItemData());
        std::string text;
        while (text.size() < 40003)
            text += "w" + std::to_string(text.size());
        text.resize(40003);

        auto isText = [](const FieldBinding& b) { return b.kind == ValueKind::Text || b.kind == ValueKind::ChoiceText; };
        int texts = 0;
        for (const FieldBinding& b : model::galleryBindings())
            if (isText(b)) {
                agent.AppletData.field(b.field) = text;
                ++texts;
            }
        for (const FieldBinding& b : model::itemBindings())
            if (isText(b)) {
                agent.Items[0].field(b.field) = text;
                ++texts;
            }
        QCOMPARE(texts, 9);
        ShowGalleryControls(m_form, agent);
        ShowItemControls(m_form, agent, 0);
        agent.AppletData = model::TAppletData();
        agent.Items[0] = model::TItemData();
        StoreGalleryControls(m_form, agent);
        StoreItemControls(m_form, agent, 0);
        for (const FieldBinding& b : model::galleryBindings())
            if (isText(b))
                QVERIFY2(agent.AppletData.field(b.field) == text, b.control.data());
        for (const FieldBinding& b : model::itemBindings())
            QVERIFY2(agent.Items[0].field(b.field) == text, b.control.data());

        // A line break pasted into a box is stored as the blank it shows as,
        // so the project file keeps one line per record.
        m_form->findChild<QLineEdit*>("edt_pScriptName")->setText("Holi\nday");
        m_form->findChild<QLineEdit*>("edt_IDesription")->setText("line one\r\nline two\u2028three");
        StoreGalleryControls(m_form, agent);
        StoreItemControls(m_form, agent, 0);
        QCOMPARE(stored(agent.AppletData.pScriptName), QString("Holi day"));
        QCOMPARE(stored(agent.Items[0].Description), QString("line one  line two three"));

        // Typing on past the default limit goes on too.
        auto* tip = m_form->findChild<QLineEdit*>("edt_IToolTip");
        tip->end(false);
        QTest::keyClicks(tip, "end");
        QCOMPARE(tip->text().size(), 40006);
        auto* link = m_form->findChild<QComboBox*>("cmbx_ILink");
        link->lineEdit()->end(false);
        QTest::keyClicks(link->lineEdit(), "end");
        QCOMPARE(link->currentText().size(), 40006);
    }
};

QTEST_MAIN(TestControlBinding)
#include "tst_control_binding.moc"
