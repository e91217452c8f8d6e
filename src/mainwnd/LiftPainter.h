#pragma once
// Pictures of the main window (the banner above the button bar and the login
// picture) and the car of the single-lift page: shaft, car with its doors in
// one of twelve frames, lift number, floor name and a direction or door symbol.
// Owned by the main window and lent to the pages, which set the drawing inputs
// and call DrawCar.
#include <QColor>
#include <QImage>
#include <QPolygon>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <array>

class QPainter;
struct strLiftInf;

class CLiftPainter {
public:
    enum { kLoginPicture = 0, kBannerPicture = 1 };
    // UI text of a picture that cannot be loaded or drawn.
    static constexpr int kPictureFailureText = 221;
    static constexpr int kDoorFrames = 12;          // frame 0 closed .. 11 open
    static constexpr int kShaftBitmap = 171;        // 93 x 517
    static constexpr int kFirstDoorBitmap = 138;    // 68 x 70 each

    CLiftPainter();
    CLiftPainter(const CLiftPainter&) = delete;
    CLiftPainter& operator=(const CLiftPainter&) = delete;

    // Loads SoftResoure/Pic/LoadPic.jpg and LogoPic.jpg from the program's
    // folder (a message for each that fails) and the shaft and door bitmaps.
    // True when both pictures loaded.
    bool LoadPictures();
    // One picture (kLoginPicture or kBannerPicture); a missing file is tried
    // once more with the extension ".jpeg".
    bool LoadJpeg(const QString& file, int which);
    // Places both pictures for the banner height and client size set by the
    // main window; returns the top of the login row.
    int LayoutPictures();
    // Draws the banner or the login picture into its rectangle; false when
    // there is nothing to draw or it cannot be drawn (then a message, and the
    // picture is released).
    bool DrawPicture(int which, QPainter& painter);

    // Makes the shaft and door frames ready at the sizes of the last layout.
    void CreateFrameDCs();
    // Rectangles, symbols and car position of layout 1 (small page) or 2
    // (large page); any other layout changes only the sizes.
    void SetCarLayout(int layout, int shaftWidth, int shaftHeight, int carSize);
    // Shaft, car, lift number, floor name and symbol; returns 1.
    int DrawCar(QPainter& painter);

    // Pixels above the car's lowest position for a floor of a lift whose top
    // floor is topFloor, the travel running from shaftTop to shaftBottom. The
    // bottom floor, a lift of one floor and no floor reported all give 0, and
    // a floor above the top floor stops at the top.
    static float CarOffsetForFloor(int floor, int topFloor, int shaftTop, int shaftBottom);
    // The floor name drawn for the current inputs: the lift's name texts and
    // "F", the floor number and "F" when the lift has no name for it, nothing
    // when no floor is reported.
    QString FloorLabel() const;

    // Inputs, set by the owner.
    const QStringList* m_pLanText = nullptr;   // UI text table, for the picture message
    int m_nLanguageKind = 0;                   // its language, when the table could not be read
    strLiftInf* m_pLiftInf = nullptr;          // the lift being drawn

    // Pictures of the main window.
    QImage m_imgLogin;
    QImage m_imgBanner;
    QSize m_szLogin;
    QSize m_szBanner;
    int m_nBannerHeight = 100;
    int m_nLoginAreaHeight = 0;
    int m_nClientHeight = 0;
    int m_nClientWidth = 0;
    QRect m_rcBanner;
    QRect m_rcLogin;

    // Car drawing.
    QImage m_imgShaft;
    std::array<QImage, kDoorFrames> m_imgDoor;
    QRect m_rcName;
    QRect m_rcNumber;
    QRect m_rcStopBar;
    QPolygon m_rgnUp;
    QPolygon m_rgnDown;
    std::array<QPolygon, 2> m_rgnOpen;    // left and right part
    std::array<QPolygon, 2> m_rgnClose;
    int m_nRunState = 0;                  // 1 up, 2 down, 3 stopped, 0 no symbol
    int m_nLiftNum = 1;
    int m_nShaftHeight = 0;
    int m_nShaftWidth = 0;
    int m_nCarWidth = 0;
    int m_nCarHeight = 0;
    int m_nCarX = 0;
    int m_nCarBottom = 0;
    int m_nDoorFrame = 0;                 // 0..11
    int m_nDoorMode = 6;                  // 1 opening or open, 3 closing, 6 closed
    int m_nFloor = 1;
    float m_fCarOffset = 0.0f;
    int m_nFloorNameCount = 0;
    QString m_strText;
    QColor m_crRed{255, 0, 0};
    QColor m_crGreen{0, 255, 0};

private:
    void LoadBitmaps();
    void ScaleBitmaps();
    QString PictureFailureText() const;

    // Shaft and frames scaled to the current sizes (remade when they change).
    QImage m_imgShaftScaled;
    std::array<QImage, kDoorFrames> m_imgDoorScaled;
};
