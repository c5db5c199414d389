#include <QFile>

#include "SimFixture.h"

class SimStore : public SimFixture {
protected:
    std::string ReadCustomerValue() { return Sdo({0x40, 0x00, 0x30, 0x00, 0, 0, 0, 0}); }
    const std::string kValue1234 = Text(0x581, {0x43, 0x00, 0x30, 0x00, 0x34, 0x12, 0, 0});
    const std::string kValue0 = Text(0x581, {0x43, 0x00, 0x30, 0x00, 0, 0, 0, 0});
    const std::string kDone1010 = Text(0x581, {0x60, 0x10, 0x10, 0x01, 0, 0, 0, 0});
};

TEST_F(SimStore, StoredValuesSurviveARestart) {
    StartWithFile(dir.File("enc.params"));
    Sdo({0x23, 0x00, 0x30, 0x00, 0x34, 0x12, 0, 0});
    Sdo({0x2B, 0x17, 0x10, 0x00, 0xE8, 0x03, 0, 0});
    EXPECT_EQ(Sdo({0x23, 0x10, 0x10, 0x01, 0x73, 0x61, 0x76, 0x65}), kDone1010);  // "save"
    PowerCycle();
    EXPECT_EQ(ReadCustomerValue(), kValue1234);
    EXPECT_EQ(Sdo({0x40, 0x17, 0x10, 0x00, 0, 0, 0, 0}), Text(0x581, {0x4B, 0x17, 0x10, 0x00, 0xE8, 0x03, 0, 0}));
    // Values changed but not stored are lost at power-off.
    Sdo({0x23, 0x00, 0x30, 0x00, 0x99, 0, 0, 0});
    PowerCycle();
    EXPECT_EQ(ReadCustomerValue(), kValue1234);
}

TEST_F(SimStore, RestoreDefaultsTakesEffectAfterTheNextReset) {
    StartWithFile(dir.File("enc.params"));
    Sdo({0x23, 0x00, 0x30, 0x00, 0x34, 0x12, 0, 0});
    Sdo({0x23, 0x10, 0x10, 0x01, 's', 'a', 'v', 'e'});
    EXPECT_EQ(Sdo({0x23, 0x11, 0x10, 0x01, 0x6C, 0x6F, 0x61, 0x64}), Text(0x581, {0x60, 0x11, 0x10, 0x01, 0, 0, 0, 0}));
    EXPECT_EQ(ReadCustomerValue(), kValue1234);
    Send(0x000, {0x82, 0x01});  // reset communication: 0x3000 is no communication object
    Received(1);
    EXPECT_EQ(ReadCustomerValue(), kValue1234);
    Send(0x000, {0x81, 0x01});
    Received(1);
    EXPECT_EQ(ReadCustomerValue(), kValue0);
}

TEST_F(SimStore, GroupsCoverTheirOwnObjectsOnly) {
    StartWithFile(dir.File("enc.params"));
    Sdo({0x23, 0x00, 0x30, 0x00, 0x34, 0x12, 0, 0});   // 0x3xxx
    Sdo({0x2B, 0x17, 0x10, 0x00, 0x64, 0x00, 0, 0});   // communication
    Sdo({0x23, 0x10, 0x10, 0x02, 's', 'a', 'v', 'e'});  // communication only
    PowerCycle();
    EXPECT_EQ(ReadCustomerValue(), kValue0);
    EXPECT_EQ(Sdo({0x40, 0x17, 0x10, 0x00, 0, 0, 0, 0}), Text(0x581, {0x4B, 0x17, 0x10, 0x00, 0x64, 0x00, 0, 0}));
    Sdo({0x23, 0x00, 0x30, 0x00, 0x34, 0x12, 0, 0});
    Sdo({0x23, 0x10, 0x10, 0x05, 's', 'a', 'v', 'e'});  // manufacturer 0x3xxx
    PowerCycle();
    EXPECT_EQ(ReadCustomerValue(), kValue1234);
}

TEST_F(SimStore, StoringThatCannotHappenIsRefusedAndChangesNothing) {
    const std::string path = dir.File("enc.params");
    StartWithFile(path);
    Sdo({0x23, 0x00, 0x30, 0x00, 0x34, 0x12, 0, 0});
    Sdo({0x23, 0x10, 0x10, 0x01, 's', 'a', 'v', 'e'});
    QFile before(QString::fromStdString(path));
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray saved = before.readAll();
    before.close();

    // EEPROM write disabled: local control.
    Sdo({0x2F, 0x00, 0x20, 0x00, 0x01, 0, 0, 0});
    EXPECT_EQ(Sdo({0x23, 0x10, 0x10, 0x01, 's', 'a', 'v', 'e'}),
              Text(0x581, {0x80, 0x10, 0x10, 0x01, 0x21, 0x00, 0x00, 0x08}));
    // LSS store configuration: storage media access error.
    tester->Send(MakeFrame(0x7E5, {0x04, 0x01, 0, 0, 0, 0, 0, 0}));
    tester->Send(MakeFrame(0x7E5, {0x17, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Received(), Frames{Text(0x7E4, {0x17, 0x02, 0, 0, 0, 0, 0, 0})});

    QFile after(QString::fromStdString(path));
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), saved);
}

TEST_F(SimStore, AnUnwritableFileGivesDataCannotBeStored) {
    StartWithFile(dir.File("missing-folder/enc.params"));
    EXPECT_EQ(Sdo({0x23, 0x10, 0x10, 0x01, 's', 'a', 'v', 'e'}),
              Text(0x581, {0x80, 0x10, 0x10, 0x01, 0x20, 0x00, 0x00, 0x08}));
    EXPECT_FALSE(encoder->StoreError().empty());
}

TEST_F(SimStore, DamagedLinesOfTheFileAreSkipped) {
    const std::string path = dir.File("enc.params");
    {
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("garbage\n=x\nstored.3000.00=zz\nstored.1017.00=6400\nnode=999\nstored.2011.00=4142\r\n");
    }
    StartWithFile(path);
    EXPECT_EQ(ReadCustomerValue(), kValue0);
    EXPECT_EQ(Sdo({0x40, 0x17, 0x10, 0x00, 0, 0, 0, 0}), Text(0x581, {0x4B, 0x17, 0x10, 0x00, 0x64, 0x00, 0, 0}));
    EXPECT_EQ(Sdo({0x40, 0x11, 0x20, 0x00, 0, 0, 0, 0}), Text(0x581, {0x4B, 0x11, 0x20, 0x00, 'A', 'B', 0, 0}));
    EXPECT_EQ(encoder->NodeId(), 1);
}
