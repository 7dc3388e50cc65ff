#include "SymbolIcon.hpp"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QStringList>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

#include "model/ArchiveEntry.hpp"

namespace kelvane {
namespace {

const QColor kTint(200, 40, 90);

void ensureGuiApplication() {
    if (QGuiApplication::instance() != nullptr) return;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "kelvane_tests_symbol_icon";
    static char* argv[] = {name, nullptr};
    // Kept for the whole run: a GUI application cannot be made twice.
    static QGuiApplication* application = new QGuiApplication(argc, argv);
    (void)application;
}

// Pixels with at least this opacity count as drawn.
constexpr int kInkAlpha = 128;

int countInked(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int inked = 0;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(argb.pixel(x, y)) >= kInkAlpha) ++inked;
        }
    }
    return inked;
}

// Every clearly drawn pixel carries the tint (rounding through premultiplied
// storage allows a small difference).
bool inkIsTint(const QImage& image, const QColor& tint) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = argb.pixel(x, y);
            if (qAlpha(pixel) < kInkAlpha) continue;
            if (std::abs(qRed(pixel) - tint.red()) > 3 ||
                std::abs(qGreen(pixel) - tint.green()) > 3 ||
                std::abs(qBlue(pixel) - tint.blue()) > 3) {
                return false;
            }
        }
    }
    return true;
}

// A tiny icon theme on disk whose "folder" and "edit-find" icons are solid green.
class GreenTheme {
public:
    static constexpr const char* kName = "KelvaneGreenTestTheme";

    GreenTheme() {
        const QString root = dir_.path() + "/" + kName;
        QDir().mkpath(root + "/24x24/places");
        QDir().mkpath(root + "/24x24/actions");
        QFile index(root + "/index.theme");
        if (index.open(QIODevice::WriteOnly)) {
            index.write(
                "[Icon Theme]\nName=Kelvane green test theme\nDirectories=24x24/places,"
                "24x24/actions\n\n[24x24/places]\nSize=24\nType=Fixed\n\n"
                "[24x24/actions]\nSize=24\nType=Fixed\n");
        }
        QImage green(24, 24, QImage::Format_ARGB32);
        green.fill(QColor(0, 160, 0));
        green.save(root + "/24x24/places/folder.png");
        green.save(root + "/24x24/actions/edit-find.png");
    }
    [[nodiscard]] QString searchPath() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

class SymbolIconTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureGuiApplication(); }

    void SetUp() override {
        savedSearchPaths_ = QIcon::themeSearchPaths();
        savedTheme_ = QIcon::themeName();
        savedFallbackTheme_ = QIcon::fallbackThemeName();
        useNoTheme();
    }
    void TearDown() override {
        QIcon::setThemeSearchPaths(savedSearchPaths_);
        QIcon::setFallbackThemeName(savedFallbackTheme_);
        QIcon::setThemeName(savedTheme_);
    }

    static void useNoTheme() {
        QIcon::setFallbackThemeName(QStringLiteral("kelvane-no-such-theme"));
        QIcon::setThemeName(QStringLiteral("kelvane-no-such-theme"));
    }
    static void useTheme(const QStringList& searchPaths, const QString& name) {
        QIcon::setThemeSearchPaths(searchPaths);
        QIcon::setThemeName(name);
    }

    QStringList savedSearchPaths_;
    QString savedTheme_;
    QString savedFallbackTheme_;
};

TEST_F(SymbolIconTest, EveryNameHasExactlyOneBundledDrawing) {
    (void)SymbolIcon::bundledIcon(QStringLiteral("doc"), kTint);  // loads the resources
    const QStringList names = SymbolIcon::symbolNames();
    QSet<QString> listed;
    for (const QString& name : names) {
        // A drawing Qt cannot read would silently show the placeholder square.
        const QSvgRenderer drawing(":/symbols/" + name + ".svg");
        EXPECT_TRUE(drawing.isValid()) << name.toStdString();
        EXPECT_EQ(drawing.viewBox(), QRect(0, 0, 24, 24)) << name.toStdString();
        EXPECT_FALSE(listed.contains(name)) << "listed twice: " << name.toStdString();
        listed.insert(name);
    }
    for (const QString& file : QDir(QStringLiteral(":/symbols")).entryList(QDir::Files)) {
        const QString name = file.chopped(4);
        EXPECT_TRUE(file.endsWith(".svg") && listed.contains(name))
            << "drawing without a symbol name: " << file.toStdString();
    }
}

TEST_F(SymbolIconTest, EveryEntryIconNameHasADrawing) {
    // One entry of each kind the archive listing tells apart.
    const QStringList names = SymbolIcon::symbolNames();
    const QSet<QString> known(names.begin(), names.end());
    const std::pair<const char*, bool> entries[] = {
        {"pictures.png", true}, {"a/photo.JPG", false}, {"clip.mkv", false},
        {"main.cpp", false},    {"report.PDF", false},  {"sheet.xlsx", false},
        {"inner.7z", false},    {"data.7z.001", false}, {"notes", false}};
    for (const auto& [path, isDirectory] : entries) {
        const ArchiveEntry entry(path, isDirectory, 1, 1, std::nullopt, false, std::nullopt,
                                 std::nullopt, std::nullopt);
        const std::string symbol(entry.sfSymbolName());
        EXPECT_TRUE(known.contains(QString::fromStdString(symbol)))
            << path << " shows " << symbol << ", which has no drawing";
    }
}

TEST_F(SymbolIconTest, BundledDrawingsAreTintedAndVisibleAtSmallSizes) {
    for (const QString& name : SymbolIcon::symbolNames()) {
        const QIcon icon = SymbolIcon::icon(name, kTint);
        ASSERT_FALSE(icon.isNull()) << name.toStdString();
        for (const int side : {16, 24}) {
            const QImage image = icon.pixmap(side, side).toImage();
            ASSERT_EQ(image.size(), QSize(side, side)) << name.toStdString();
            // A drawing Qt failed to read renders nothing; a real symbol covers
            // a fair share of its square.
            EXPECT_GE(countInked(image), side * side / 20)
                << name.toStdString() << " at " << side << " px";
            EXPECT_TRUE(inkIsTint(image, kTint)) << name.toStdString() << " at " << side;
        }
    }
}

TEST_F(SymbolIconTest, EveryNameGivesAVisibleIconUnderEveryTheme) {
    const GreenTheme green;
    struct ThemeCase {
        const char* label;
        std::function<void()> apply;
    };
    std::vector<ThemeCase> cases = {
        {"no theme", [] { useNoTheme(); }},
        {"a theme with two of the icons",
         [&green] { useTheme({green.searchPath()}, GreenTheme::kName); }},
    };
    for (const QString& path : savedSearchPaths_) {
        if (QFile::exists(path + "/Adwaita/index.theme")) {
            cases.push_back({"the installed Adwaita theme",
                             [this] { useTheme(savedSearchPaths_, QStringLiteral("Adwaita")); }});
            break;
        }
    }
    for (const ThemeCase& themeCase : cases) {
        themeCase.apply();
        for (const QString& name : SymbolIcon::symbolNames()) {
            const QIcon icon = SymbolIcon::icon(name, kTint);
            ASSERT_FALSE(icon.isNull()) << name.toStdString() << " with " << themeCase.label;
            for (const int side : {16, 24}) {
                const QPixmap pixmap = icon.pixmap(side, side);
                ASSERT_FALSE(pixmap.isNull())
                    << name.toStdString() << " at " << side << " with " << themeCase.label;
                EXPECT_GT(countInked(pixmap.toImage()), 0)
                    << name.toStdString() << " at " << side << " with " << themeCase.label;
            }
        }
    }
}

TEST_F(SymbolIconTest, ThemeIconIsUsedOnlyWhereTheThemeHasTheMappedName) {
    const GreenTheme green;
    useTheme({green.searchPath()}, GreenTheme::kName);
    const auto centre = [](const QIcon& icon) {
        return QColor(icon.pixmap(24, 24).toImage().pixel(12, 12));
    };
    // In the theme: its own colours, not the tint.
    EXPECT_EQ(centre(SymbolIcon::icon(QStringLiteral("folder"), kTint)), QColor(0, 160, 0));
    EXPECT_EQ(centre(SymbolIcon::icon(QStringLiteral("magnifyingglass"), kTint)),
              QColor(0, 160, 0));
    // Mapped but missing from the theme, and not mapped at all: the tinted drawing.
    for (const char* name : {"trash", "eye"}) {
        const QImage image = SymbolIcon::icon(QString::fromLatin1(name), kTint)
                                 .pixmap(24, 24)
                                 .toImage();
        EXPECT_TRUE(inkIsTint(image, kTint)) << name;
        EXPECT_GT(countInked(image), 0) << name;
    }
    // The bundled drawing ignores the theme.
    EXPECT_TRUE(inkIsTint(
        SymbolIcon::bundledIcon(QStringLiteral("folder"), kTint).pixmap(24, 24).toImage(),
        kTint));
}

TEST_F(SymbolIconTest, UnknownNameShowsTheGenericDocument) {
    const QIcon unknown = SymbolIcon::icon(QStringLiteral("no.such.symbol"), kTint);
    ASSERT_FALSE(unknown.isNull());
    EXPECT_TRUE(SymbolIcon::themeIconName(QStringLiteral("no.such.symbol")).isEmpty());
    const QImage shown = unknown.pixmap(24, 24).toImage();
    EXPECT_GT(countInked(shown), 0);
    EXPECT_EQ(shown, SymbolIcon::bundledIcon(SymbolIcon::fallbackSymbolName(), kTint)
                         .pixmap(24, 24)
                         .toImage());
}

TEST_F(SymbolIconTest, WhiteInADrawingCutsThroughTheInk) {
    // checkmark.circle.fill is a filled disc with the check mark cut out of it.
    const QImage image = SymbolIcon::bundledIcon(QStringLiteral("checkmark.circle.fill"), kTint)
                             .pixmap(48, 48)
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(image.pixel(24, 8)), 255) << "the disc is solid";
    EXPECT_LT(qAlpha(image.pixel(21, 30)), 60) << "the check's corner is cut out";
    EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0) << "outside the disc stays clear";
}

TEST_F(SymbolIconTest, ApplicationIconIsBuiltInWhenNoThemeHasIt) {
    const QIcon icon = SymbolIcon::applicationIcon();
    ASSERT_FALSE(icon.isNull());
    const QImage image = icon.pixmap(64, 64).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(64, 64));
    EXPECT_GE(countInked(image), 64 * 64 / 3);
    // In its own colours: the box's orange body, not a tint.
    const QColor body(image.pixel(32, 56));
    EXPECT_GT(body.red(), 180);
    EXPECT_LT(body.blue(), 100);
}

TEST_F(SymbolIconTest, DisabledIconIsFadedNotRecoloured) {
    const QIcon icon = SymbolIcon::bundledIcon(QStringLiteral("archivebox.fill"), kTint);
    const QImage normal =
        icon.pixmap(QSize(24, 24), QIcon::Normal).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage disabled = icon.pixmap(QSize(24, 24), QIcon::Disabled)
                                .toImage()
                                .convertToFormat(QImage::Format_ARGB32);
    // The lid's middle is fully inked in the normal icon.
    ASSERT_EQ(qAlpha(normal.pixel(12, 6)), 255);
    EXPECT_NEAR(qAlpha(disabled.pixel(12, 6)), 97, 3);
    EXPECT_NEAR(qRed(disabled.pixel(12, 6)), kTint.red(), 3);
}

}  // namespace
}  // namespace kelvane
