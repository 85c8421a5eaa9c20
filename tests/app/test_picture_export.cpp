#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPixmap>
#include <QTemporaryDir>
#include <memory>
#include <stdexcept>

#include "app/patterns/PictureExport.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ScriptedPrompts.h"
#include "ui/BackgroundJob.h"
#include "view/paint/PatternPaint.h"
#include "view/paint/PictureSeries.h"
#include "view/ui/Gui2Ctrl.h"

namespace {

void FillDraws(TCodes& draws, int32_t count) {
    draws.SetCount(count);
    for (int32_t i = 0; i < count; ++i) {
        DrawRecord r;
        for (int p = 1; p <= 7; ++p) r[p] = (i * 3 + p * 7 + i / 5) % 10;
        draws.SetCode(i, r);
    }
}

std::unique_ptr<TGui2Reg> MakePattern(int32_t baseRow, int32_t layout, int32_t steps,
                                      int32_t shift) {
    auto reg = std::make_unique<TGui2Reg>();
    reg->Line(0).Add({1 + shift, 0});
    reg->Line(0).Add({2 + shift, -1});
    reg->Line(0).Add({1 + shift, -2});
    reg->Line(1).Add({3, -1});
    reg->Line(1).Add({4, -2});
    reg->Line(1).Add({3, -3});
    reg->Layout = layout;
    reg->BaseRow = baseRow;
    reg->ContrastKind = 3;
    for (int32_t s = 0; s < steps; ++s) reg->AddStep({(s * 3) % 10, (s * 3 + 5) % 10});
    reg->SetPosition(0, 1 + shift, true);
    reg->SetResult(0, 4);
    return reg;
}

class PictureExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        grid_.resize(520, 700);
        FillDraws(grid_.Draws(), 300);
        grid_.LayoutGrid();
        for (int i = 0; i < 5; ++i) patterns_.push_back(MakePattern(300, 2 + i % 2, 4 + i, i % 2));
    }

    // Runs the export to its end: its pictures are written on the job.
    TPictureExportResult Export(const std::vector<const TGui2Reg*>& selected,
                                const QString& folder = {},
                                TPictureFormat format = TPictureFormat::Gif) {
        TPictureExportResult result;
        bool ended = false;
        ExportPatternPictures(*job_, grid_, selected, folder.isEmpty() ? dir_.path() : folder,
                              prompts_, nullptr, format, [&](const TPictureExportResult& r) {
                                  result = r;
                                  ended = true;
                              });
        job_->Finish();
        EXPECT_TRUE(ended);
        return result;
    }

    QTemporaryDir dir_;
    TGui2RegNet grid_;
    TScriptedPrompts::TLog log_;
    TScriptedPrompts prompts_{log_};
    std::vector<std::unique_ptr<TGui2Reg>> patterns_;
    QObject owner_;
    TBackgroundJob* job_ = new TBackgroundJob(&owner_);
};

TEST_F(PictureExportTest, NothingSelectedAsksForASelection) {
    const TPictureExportResult result = Export({});
    EXPECT_EQ(log_.Messages, QStringList{QStringLiteral("请选择若干个规律！")});
    EXPECT_FALSE(QDir(dir_.filePath("GifExport0")).exists());
    EXPECT_TRUE(log_.Opened.isEmpty());
    EXPECT_FALSE(result.Completed);
}

TEST_F(PictureExportTest, SelectedPatternsGoToNumberedFilesInANewFolder) {
    const std::vector<const TGui2Reg*> selected = {patterns_[1].get(), patterns_[3].get()};
    TPictureExportResult result = Export(selected);
    EXPECT_TRUE(log_.Messages.isEmpty()) << log_.Messages.join('\n').toStdString();
    ASSERT_TRUE(result.Completed);
    EXPECT_EQ(result.Written, 2);
    const QDir first(dir_.filePath("GifExport0"));
    EXPECT_EQ(first.entryList(QDir::Files),
              (QStringList{QStringLiteral("301_0001.gif"), QStringLiteral("301_0002.gif")}));
    EXPECT_EQ(log_.Opened, QStringList{first.path()});

    // The grid shows the last exported pattern at its last row.
    EXPECT_EQ(grid_.Pattern().StepTotal, patterns_[3]->StepTotal);
    EXPECT_EQ(grid_.Geometry().TopRow, grid_.Geometry().ScrollMax);

    // The next export takes the next folder.
    result = Export({patterns_[0].get()});
    EXPECT_EQ(QDir(dir_.filePath("GifExport1")).entryList(QDir::Files),
              QStringList{QStringLiteral("301_0001.gif")});
}

TEST_F(PictureExportTest, PngPicturesShowWhatTheGifPicturesShow) {
    const std::vector<const TGui2Reg*> selected = {patterns_[2].get()};
    ASSERT_TRUE(Export(selected).Completed);
    ASSERT_TRUE(Export(selected, {}, TPictureFormat::Png).Completed);
    EXPECT_EQ(QDir(dir_.filePath("GifExport1")).entryList(QDir::Files),
              QStringList{QStringLiteral("301_0001.png")});
    const QImage gif(dir_.filePath("GifExport0/301_0001.gif"));
    const QImage png(dir_.filePath("GifExport1/301_0001.png"));
    ASSERT_FALSE(png.isNull());
    ASSERT_EQ(png.size(), gif.size());
    // Every pixel as painted: PNG keeps what a GIF's palette may have to reduce.
    const QImage painted = PaintPatternPicture(grid_.PaintInput());
    EXPECT_EQ(png.convertToFormat(QImage::Format_ARGB32),
              painted.convertToFormat(QImage::Format_ARGB32));

    // A folder that cannot take the file: the failure names the file, in the one text of the
    // window, the tool and the trend window (for a GIF the error code and its meaning too).
    const auto failure = [&](TPictureFormat format) {
        try {
            WritePictureSeries(
                dir_.filePath("missing").toStdString(), 301, selected,
                [this](const TGui2Reg& pattern) {
                    grid_.SetPattern(pattern);
                    grid_.VScroll(srBottom);
                    return grid_.PaintInput();
                },
                nullptr, format);
        } catch (const TPictureError& e) {
            return e;
        }
        throw std::logic_error("written into a missing folder");
    };
    const TPictureError pngFailure = failure(TPictureFormat::Png);
    EXPECT_NE(pngFailure.File.find("missing"), std::string::npos);
    EXPECT_EQ(std::string(pngFailure.what()), "保存为PNG文件失败：" + pngFailure.File);
    const TPictureError gifFailure = failure(TPictureFormat::Gif);
    EXPECT_EQ(std::string(gifFailure.what()),
              "保存为GIF文件失败. 错误代号 = 7 [File not Found] " + gifFailure.File);
}

TEST_F(PictureExportTest, AStoppedExportKeepsItsPicturesAndOpensNoFolder) {
    const std::vector<const TGui2Reg*> selected = {patterns_[0].get(), patterns_[1].get(),
                                                   patterns_[2].get()};
    TPictureExportResult result;
    result.Written = -1;
    ExportPatternPictures(*job_, grid_, selected, dir_.path(), prompts_, nullptr,
                          TPictureFormat::Gif, [&](const TPictureExportResult& r) { result = r; });
    job_->Cancel();  // as 取消 does: the job stops after the picture it is painting
    job_->Finish();
    EXPECT_FALSE(result.Completed);
    ASSERT_GE(result.Written, 0);
    EXPECT_LT(result.Written, 3);
    EXPECT_EQ(QDir(dir_.filePath("GifExport0")).entryList(QDir::Files).size(), result.Written);
    EXPECT_TRUE(log_.Opened.isEmpty());
    EXPECT_TRUE(log_.Messages.isEmpty()) << log_.Messages.join('\n').toStdString();
}

TEST_F(PictureExportTest, FolderThatCannotBeCreatedIsReported) {
    const QString blocked = dir_.filePath("not-a-folder");
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const TPictureExportResult result = Export({patterns_[0].get()}, blocked);
    EXPECT_FALSE(result.Completed);
    ASSERT_EQ(log_.Messages.size(), 1);
    EXPECT_EQ(log_.Messages[0], QStringLiteral("文件夹创建失败！\r\n") + blocked + "/GifExport0/");
    EXPECT_TRUE(log_.Opened.isEmpty());
}

// The grid control on screen with a selected pattern, in every offered shape and both link
// styles, saved for a look by eye.
TEST(GridScreenshots, EveryShapeAndLinkStyle) {
    for (int32_t shape = 0; shape <= 4; ++shape)
        for (int32_t link = 0; link <= 1; ++link) {
            TGui2RegNet grid;
            grid.resize(520, 640);
            FillDraws(grid.Draws(), 120);
            grid.DrawBoxStyle = shape;
            grid.LinkLineStyle = link;
            grid.BoxColorMode = (shape + link) % 5;
            grid.LayoutGrid();
            const auto pattern = MakePattern(120, 2, 5, link);
            grid.SetPattern(*pattern);
            grid.SetSecIndex(grid.Pattern().StepTotal - 1);
            grid.LayoutGrid();
            const QImage shot = grid.grab().toImage();
            EXPECT_TRUE(shot.save(
                ArtifactPath(QStringLiteral("grid_shape%1_link%2.png").arg(shape).arg(link))));
            // The marker of the coming draw is painted.
            const TGridRect cell =
                grid.Geometry().RectOfCell(120 - grid.Geometry().TopRow + 1, 2 + link);
            EXPECT_NE(shot.pixelColor(cell.Left + 12, (cell.Top + cell.Bottom) / 2),
                      QColor::fromRgba(CellColors[2]));
        }
}

}  // namespace

TEST_F(PictureExportTest, ManyPicturesAreConfirmedFirstAndAFolderTheDesktopCannotOpenIsNamed) {
    const std::vector<const TGui2Reg*> many(51, patterns_[0].get());
    log_.Answers = {QMessageBox::No};
    EXPECT_FALSE(Export(many).Completed);
    EXPECT_EQ(log_.Questions,
              QStringList{QStringLiteral("将为选中的51个规律各出一张图片，是否继续？")});
    EXPECT_FALSE(QDir(dir_.filePath("GifExport0")).exists());

    // Fifty go without a question; the desktop has no file manager here.
    log_.FolderOpens = false;
    const std::vector<const TGui2Reg*> fifty(50, patterns_[0].get());
    const TPictureExportResult result = Export(fifty);
    EXPECT_EQ(log_.Questions.size(), 1);
    EXPECT_EQ(result.Written, 50);
    ASSERT_EQ(log_.Messages.size(), 1);
    EXPECT_TRUE(log_.Messages[0].startsWith(QStringLiteral("图片已保存在：\r\n")));
    EXPECT_TRUE(log_.Messages[0].contains(QStringLiteral("GifExport0")));
}

TEST_F(PictureExportTest, PicturesHaveTheContentBackgroundAroundTheGrid) {
    grid_.SetPattern(*patterns_[0]);
    const QImage picture = PaintPatternPicture(grid_.PaintInput());
    EXPECT_EQ(picture.pixelColor(0, 0), grid_.palette().color(QPalette::Base));
    EXPECT_EQ(picture.pixelColor(picture.width() - 1, picture.height() - 1),
              grid_.palette().color(QPalette::Base));
}
