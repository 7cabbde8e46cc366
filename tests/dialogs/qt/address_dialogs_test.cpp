#include "dialogs/address_dialog_ids.h"
#include "dialogs/qt/basic_address_dlg.h"
#include "dialogs/qt/dialog_services.h"
#include "dialogs/qt/fill_range_dlg.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

namespace {

template <typename T>
T* Control(QWidget* dialog, int id)
{
    T* control = dialog->findChild<T*>(QString::number(id));
    if (!control)
        qFatal("control %d missing", id);
    return control;
}

QLineEdit* Edit(QWidget* dialog, int id) { return Control<QLineEdit>(dialog, id); }
QRadioButton* Radio(QWidget* dialog, int id) { return Control<QRadioButton>(dialog, id); }

void Click(QWidget* dialog, int id)
{
    QTest::mouseClick(Control<QAbstractButton>(dialog, id), Qt::LeftButton);
}

// Renders a dialog, and keeps the picture for a look when DRAVEL_SAVE_GRABS
// names a folder.
void SaveGrab(QWidget* dialog, const char* name)
{
    QImage image = dialog->grab().toImage();
    QVERIFY(!image.isNull());
    QString folder = qEnvironmentVariable("DRAVEL_SAVE_GRABS");
    if (!folder.isEmpty())
        image.save(QDir(folder).filePath(QString("%1.png").arg(name)));
}

struct Message {
    QString text;
    QString caption;
};

AddressRequest PositionCursorRequest()
{
    AddressRequest request;
    request.title = "Postition cursor at following address";
    request.startLabel = "new cursor position";
    request.start = 0x1234;
    request.lastShown = 0;
    return request;
}

} // namespace

using namespace AddressDialogIds;

class AddressDialogsTest : public QObject {
    Q_OBJECT

private:
    QList<Message> messages_;
    QList<int> topics_;

private slots:
    void init()
    {
        messages_.clear();
        topics_.clear();
        SetInputMessageHandler([this](QWidget*, const QString& text, const QString& caption) {
            messages_.append({text, caption});
        });
        SetHelpHandler([this](int topic) { topics_.append(topic); });
    }

    void cleanup()
    {
        SetInputMessageHandler({});
        SetHelpHandler({});
    }

    void setUpShowsTheRequest()
    {
        FillRequest request;
        request.title = "Fill selection";
        request.start = 0x1FF;
        request.last = 0xABCDEF;
        request.fillValue = 0xFF;
        OFillRangeDlg dialog(nullptr, request);
        QCOMPARE(dialog.windowTitle(), QString("Fill selection"));
        QCOMPARE(Control<QGroupBox>(&dialog, FirstGroup)->title(), QString("Start address"));
        QCOMPARE(Control<QGroupBox>(&dialog, SecondGroup)->title(), QString("Stop address"));
        QCOMPARE(Control<QGroupBox>(&dialog, FillGroup)->title(), QString("&Fill value"));
        QCOMPARE(Edit(&dialog, FirstEdit)->text(), QString("1ff"));
        QCOMPARE(Edit(&dialog, SecondEdit)->text(), QString("abcdef"));
        QCOMPARE(Edit(&dialog, FillEdit)->text(), QString("ff"));
        QCOMPARE(Edit(&dialog, FillEdit)->maxLength(), 3);
        for (int id : {FirstHex, SecondHex, ValueIsAddress, FillHex})
            QVERIFY(Radio(&dialog, id)->isChecked());
        for (int id : {FirstDec, SecondDec, ValueIsSize, FillDec, FillAscii})
            QVERIFY(!Radio(&dialog, id)->isChecked());
        QCOMPARE(Radio(&dialog, FirstDec)->text(), QString("&DEC"));
        QCOMPARE(Radio(&dialog, FillAscii)->text(), QString("&ASCII"));
        QCOMPARE(Edit(&dialog, SecondEdit)->property("helpId").toInt(), 1016);
        QCOMPARE(Radio(&dialog, ValueIsSize)->property("helpId").toInt(), 1021);
    }

    void okStoresTheEnteredRange()
    {
        AddressRequest request = NewBufferRequest();
        OBasicAddressDlg dialog(nullptr, request);
        QTimer::singleShot(0, &dialog, [&] {
            Edit(&dialog, FirstEdit)->setText("100");
            Edit(&dialog, SecondEdit)->setText("10");
            Click(&dialog, ValueIsSize);
            Click(&dialog, Ok);
        });
        QCOMPARE(dialog.exec(), 1);
        QCOMPARE(request.start, 0x100);
        QCOMPARE(request.last, 0x10F);
        QVERIFY(messages_.isEmpty());
    }

    void refusalKeepsTheDialogOpenWithTheUsersText()
    {
        AddressRequest request;
        request.start = 0x10;
        request.last = 0x20;
        OBasicAddressDlg dialog(nullptr, request);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        Edit(&dialog, FirstEdit)->setText("1ff");
        Click(&dialog, FirstDec);
        Click(&dialog, Ok);
        QCOMPARE(messages_.size(), 1);
        QCOMPARE(messages_[0].text, QString("Invalid input"));
        QCOMPARE(messages_[0].caption, QString("Start address"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
        QCOMPARE(Edit(&dialog, FirstEdit)->text(), QString("1ff"));
        QCOMPARE(dialog.focusWidget(), Edit(&dialog, FirstEdit));

        Click(&dialog, FirstHex);
        Edit(&dialog, SecondEdit)->setText("0");
        Click(&dialog, ValueIsSize);
        Click(&dialog, Ok);
        QCOMPARE(messages_.size(), 2);
        QCOMPARE(messages_[1].text, QString("Negative range"));
        QCOMPARE(messages_[1].caption, QString("error"));
        QCOMPARE(request.start, 0x10);
        QCOMPARE(request.last, 0x20);

        // Cancel after edits leaves the request as it was.
        Click(&dialog, Cancel);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
        QCOMPARE(request.start, 0x10);
        QCOMPARE(request.last, 0x20);
    }

    void fillValueIsCheckedAndStored()
    {
        FillRequest request;
        request.lowerLimit = 0x200;
        request.upperLimit = 0x3FF;
        request.start = 0x200;
        request.last = 0x3FF;
        OFillRangeDlg dialog(nullptr, request);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        Edit(&dialog, FillEdit)->setText("FF");
        Click(&dialog, FillDec);
        Edit(&dialog, FirstEdit)->setText("1ff");
        Click(&dialog, Ok);
        QCOMPARE(messages_.size(), 1);
        QCOMPARE(messages_[0].text, QString("Invalid input"));
        QCOMPARE(messages_[0].caption, QString("Fill value"));
        QCOMPARE(dialog.focusWidget(), Edit(&dialog, FillEdit));

        Edit(&dialog, FillEdit)->setText("41");
        Click(&dialog, FillAscii);
        Click(&dialog, Ok);
        QCOMPARE(messages_.size(), 2);
        QVERIFY(messages_[1].text.startsWith("Value too small (at least"));

        Edit(&dialog, FirstEdit)->setText("300");
        Click(&dialog, Ok);
        QCOMPARE(dialog.result(), 1);
        QCOMPARE(request.start, 0x300);
        QCOMPARE(request.last, 0x3FF);
        QCOMPARE(request.fillValue, uint8_t{0x34});
        SaveGrab(&dialog, "fill_dialog");
    }

    void hiddenSecondFieldShortensTheDialogAndPasses()
    {
        AddressRequest full;
        OBasicAddressDlg reference(nullptr, full);
        reference.show();
        AddressRequest request = PositionCursorRequest();
        OBasicAddressDlg dialog(nullptr, request);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        for (int id : {SecondEdit, SecondDec, SecondHex, SecondGroup, SecondFrame, ValueIsAddress,
                       ValueIsSize})
            QVERIFY(!Control<QWidget>(&dialog, id)->isVisible());
        QVERIFY(Edit(&dialog, FirstEdit)->isVisible());
        QCOMPARE(Control<QGroupBox>(&dialog, FirstGroup)->title(), QString("new cursor position"));
        QCOMPARE(dialog.width(), reference.width());
        QVERIFY(dialog.height() < reference.height() * 3 / 4);

        Edit(&dialog, FirstEdit)->setText("ABC");
        Click(&dialog, Ok);
        QVERIFY(messages_.isEmpty());
        QCOMPARE(dialog.result(), 1);
        QCOMPARE(request.start, 0xABC);
        QCOMPARE(request.last, 0);

        SaveGrab(&dialog, "position_dialog");
        SaveGrab(&reference, "address_dialog");
    }

    void realMessageBoxHasTheTextCaptionAndIcon()
    {
        SetInputMessageHandler({});
        AddressRequest request;
        request.upperLimit = 0xFFFF;
        OBasicAddressDlg dialog(nullptr, request);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        Edit(&dialog, FirstEdit)->setText("ffffffff");

        QString text, caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        std::function<void()> closeBox = [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                QTimer::singleShot(10, closeBox);
                return;
            }
            text = box->text();
            caption = box->windowTitle();
            icon = box->icon();
            box->button(QMessageBox::Ok)->click();
        };
        QTimer::singleShot(0, closeBox);
        Click(&dialog, Ok);
        QVERIFY(text.startsWith("Value too large (at most"));
        QCOMPARE(caption, QString("Start address"));
        QCOMPARE(icon, QMessageBox::Warning);
        QVERIFY(dialog.isVisible());
    }

    void helpOpensTheDialogsAndTheControlsTopics()
    {
        FillRequest request;
        OFillRangeDlg dialog(nullptr, request);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        Click(&dialog, Help);
        Edit(&dialog, FillEdit)->setFocus();
        QTest::keyClick(Edit(&dialog, FillEdit), Qt::Key_F1);
        Radio(&dialog, ValueIsAddress)->setFocus();
        QTest::keyClick(Radio(&dialog, ValueIsAddress), Qt::Key_F1);
        QCOMPARE(topics_, QList<int>({2016, 1027, 1022}));

        AddressRequest basic;
        OBasicAddressDlg plain(nullptr, basic);
        plain.show();
        Click(&plain, Help);
        QCOMPARE(topics_.last(), 2015);
    }
};

QTEST_MAIN(AddressDialogsTest)
#include "address_dialogs_test.moc"
