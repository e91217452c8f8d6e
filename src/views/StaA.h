#pragma once
// One picture tile of the all-lifts page: the lift's name and number, its
// floor, an animated door, a status line and a run or door indicator, all
// painted from the lift's record. A click on an installed lift asks the main
// window to open it.
#include <QColor>
#include <QPen>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>

#include "views/TileGeometry.h"

struct strLiftInf;

class CStaA : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDoorSteps = 12;        // door frame 0 closed .. 11 open
    static constexpr int kBackDefault = 137;     // tile background, 188 x 184
    static constexpr int kBackModel1 = 181;      // background of model 1 lifts
    static constexpr int kFirstDoorBitmap = 138; // door frame k = 138 + k

    enum class DoorMotion { None, Opening, Closing };
    enum class Indicator { None, Up, Down, StopBar, OpeningPair, ClosingPair };
    enum class StatusFrame { None, Offline, Alert };

    // What the status line and indicator show for a lift, by the tile's rules.
    struct strTileStatus {
        QString strText;
        bool bRed = false;            // red text, else white
        StatusFrame frame = StatusFrame::None;
        Indicator indicator = Indicator::None;
        QColor crIndicator;
    };

    explicit CStaA(QWidget* parent = nullptr);

    // Sets the tile size, resizes the widget and rebuilds the geometry.
    void SetTileSize(int w, int h);
    // Geometry of the current m_nWidth x m_nHeight.
    void BuildArrowRegions();
    void DrawTile(QPainter& painter);

    // The door animation, stepped by the page's shared 50 ms timer: one step
    // per call towards open or closed; returns true while the door still moves.
    void StartDoorMotion(DoorMotion motion);
    bool DoorAnimStep();
    DoorMotion GetDoorMotion() const { return m_doorMotion; }

    static strTileStatus TileStatus(const strLiftInf& lift, const QStringList* texts);
    // Floor box text: the floor's name texts, else the floor number.
    static QString FloorText(const strLiftInf& lift);

    std::uint8_t m_bInit = 0;
    std::uint8_t m_bResized = 0;
    std::uint8_t m_bDrag = 0;
    std::int32_t m_nWidth = 0;
    std::int32_t m_nHeight = 0;
    strTileGeometry m_geo;
    std::int32_t m_nMargin = 0;
    std::int32_t m_nDoorStep = 0;        // 0..11, changed by the page's door timer
    QColor m_crGreen{0, 255, 0};
    QColor m_crBlue{0, 0, 255};
    QColor m_crRed{255, 0, 0};
    QPen m_penOffline;
    QPen m_penAlert;
    QPointer<QObject> m_hMainWnd;
    QPointer<QObject> m_hView;
    strLiftInf* m_pLiftInf = nullptr;
    const QStringList* m_pLanText = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    DoorMotion m_doorMotion = DoorMotion::None;
};
