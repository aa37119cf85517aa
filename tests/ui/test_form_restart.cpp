// The recording length the window last wrote to exam_ddc.ini is asked for again after a restart.
#include <QLineEdit>
#include <QPushButton>

#include "tests/ui/support_form.h"

namespace {

TEST_F(FormTest, RecordingLengthSurvivesARestart) {
    // 16-bit samples of four DDC channels: 16 bytes a sample time; 8 buffers of 2048 KB.
    WriteBytes(Path("std.cfg"),
               "[Option]\r\nEnableDDC= 1\r\n[device0_tessaro0]\r\nDDCChannelMask= 0xf\r\n"
               "DataFormat= 0\r\n");
    const QByteArray ini =
        "[Option]\r\nDirFileBufSize= 2048\t\t;KB\r\nDirNumBufWrite= 8\t\t;buffers\r\n";
    WriteBytes(Path("exam_ddc.ini"), ini);
    ShowForm();

    EXPECT_EQ(W<QLineEdit>("Edit19")->text(), "1048576");
    EXPECT_EQ(W<QLineEdit>("Edit25")->text(), "1048576");
    EXPECT_EQ(W<QLineEdit>("Edit20")->text(), "16384");

    Click(W<QPushButton>("Button9"));
    // The keys the short configuration lacks read as 0, some of them errors: the write asks.
    EXPECT_EQ(TakeMessages().size(), 1);
    EXPECT_TRUE(ReadBytes(Path("exam_ddc.ini")).contains("\r\nDirNumBufWrite= 8\t\t;buffers\r\n"));
}

}  // namespace
