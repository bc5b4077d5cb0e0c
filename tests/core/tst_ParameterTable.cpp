#include "DeviceFrames.h"
#include "ParamFileFormat.h"
#include "ParameterSync.h"
#include "ParameterTable.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QTest>

using P = Parameter;

struct Expected
{
    int address, dataBytes, uploadPasses, uploadAbove, fileLimit, gridRow, gridMin, gridMax;
};
Q_DECLARE_METATYPE(Expected)

// Every parameter through each road into and out of the parameter set, against the values
// written out here: a wrong field, width, address, row or limit of any parameter fails.
class TestParameterTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Device address and data bytes, the largest value uploaded unchanged and
    // what one more becomes, the file reader's limit, grid row and the grid's range.
    void parameter_roundTripsThroughFramesFileAndGrid_data()
    {
        QTest::addColumn<Parameter>("p");
        QTest::addColumn<Expected>("e");
        const auto row = [](P p, Expected e) { QTest::newRow(parameterInfo(p).name) << p << e; };
        row(P::ShutDownCountSP, {0, 3, 9999999, 0, 9999999, 1, 2, 9999999});
        row(P::WarningCountSP, {1, 3, 9999999, 0, 9999999, 2, 2, 9999999});
        row(P::ActualCount, {2, 3, 9999999, 0, 9999999, 3, 0, 9999999});
        row(P::StaticTripSP, {3, 1, 99, 99, 99, 4, 0, 99});
        row(P::StaticTripTimer, {4, 1, 255, 255, 255, 5, 0, 255});
        row(P::DynamicTripSP, {6, 1, 99, 99, 99, 7, 0, 99});
        row(P::CountTripSP, {5, 1, 99, 99, 99, 6, 0, 99});
        row(P::StaticFaultCount, {9, 2, 65535, 65535, 65530, 8, 0, 65535});
        row(P::DynamicFaultCount, {7, 2, 65535, 65535, 65530, 9, 0, 65535});
    }

    void parameter_roundTripsThroughFramesFileAndGrid()
    {
        QFETCH(Parameter, p);
        QFETCH(Expected, e);
        QCOMPARE((ParameterSet{1, 2, 3, 4, 5, 6, 7, 8, 9}.value(p)), int(p) + 1);

        // The write request, answered with the same data as a read reply, reads back.
        QByteArray reply = BuildWriteRequest(p, e.uploadPasses);
        QCOMPARE(reply.left(3),
                 QByteArray("\x80") + char(4 + e.dataBytes) + char(e.address * 16 + 2));
        reply[2] = char(e.address * 16 + 1);
        reply.back() = char(FrameChecksum(reply.chopped(1)));
        const auto uploaded = [p](const QByteArray& r) {
            return ScanReadReplies(r, int(r.size()), p);
        };
        QCOMPARE(uploaded(reply), std::vector{e.uploadPasses});
        const int widest = (1 << (8 * e.dataBytes)) - 1;
        QCOMPARE(uploaded(BuildReadReply(p, std::min(e.uploadPasses + 1, widest))),
                 std::vector{e.uploadAbove});

        ParameterSet set;
        for (const auto& [saved, read] :
             {std::pair{e.fileLimit, e.fileLimit}, {e.fileLimit + 1, e.fileLimit}, {-1, 0}}) {
            set.assign(p, saved);
            QBuffer file;
            file.setData(ParamFileFormat::contents(set, u"C:\\P.PRS"_s));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(ParamFileFormat::read(file, {}).values.value(p), read);
        }

        // Reading the grid back takes the row into its own parameter.
        SpreadGrid grid;
        grid.setRows(gridRowSpecs());
        for (int v : {e.gridMin - 1, e.gridMax + 1, e.gridMin, e.gridMax})
            QCOMPARE(grid.enterText(e.gridRow, QString::number(v)),
                     v >= e.gridMin && v <= e.gridMax);
        ParameterSet back, expected;
        readGridBack(grid, back);
        expected.assign(p, e.gridMax);
        QCOMPARE(back, expected);
    }
};

QTEST_MAIN(TestParameterTable)
#include "tst_ParameterTable.moc"
