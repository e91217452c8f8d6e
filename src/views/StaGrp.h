#pragma once
// One shaft cell of the group page: the lift's name, number and floor, a car
// that travels up and down the shaft with its doors, three status lines and
// a run indicator, all painted from the lift's record. The page feeds the
// car's position and door step; the cell only draws.
#include <QColor>
#include <QFont>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>

#include "views/GroupCellLayout.h"

struct strLiftInf;

class CStaGrp : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShaftBitmap = 161;       // 110 x 619
    static constexpr int kFirstDoorBitmap = 138;   // door frame k = 138 + k, 68 x 70
    static constexpr int kDoorSteps = 12;          // 0 closed .. 11 open
    static constexpr int kLastDoorStep = kDoorSteps - 1;

    enum class Indicator { None, StopGreen, StopRed, UpGreen, UpRed, DownGreen, DownRed };

    // The three status lines and the colour of each.
    struct strStatusBlock {
        std::array<QString, 3> strLine;
        std::array<bool, 3> bRed{};
        bool bOffline = false;  // the two offline lines, 60 pixels wide
    };

    explicit CStaGrp(QWidget* parent = nullptr);

    // Takes a layout: size, font and the places inside the cell.
    void SetLayout(const strGroupCellLayout& layout);
    // Pixels per controller unit for the record's height; 0 for a height of 0
    // or less, which leaves the car at its lowest place.
    void UpdatePixelScale();
    // Top of the car picture for the drawn car position, kept inside the shaft.
    int CarTop() const;
    void DrawGroupCell(QPainter& painter);

    static strStatusBlock StatusBlock(const strLiftInf& lift, const QStringList* texts);
    static Indicator RunIndicator(const strLiftInf& lift);

    std::uint8_t m_bInit = 0;
    std::uint8_t m_bResized = 0;
    QPointer<QObject> m_hView;
    QFont m_font;                                // "Microsoft Sans Serif", weight 500
    QColor m_crGreen{0, 255, 0};
    QColor m_crRed{255, 0, 0};
    std::int32_t m_nDoorStep = 0;                // 0..11, stepped by the page's door timers
    const QStringList* m_pLanText = nullptr;
    strGroupCellLayout m_layout;
    std::uint8_t m_bStarted = 0;                 // the first report has been taken
    std::uint32_t m_nPrevTick = 0;               // tick of the previous report
    std::uint32_t m_nLastTick = 0;               // tick of the last report
    std::int32_t m_nCarPos = 0;                  // reported position, controller units
    std::int32_t m_nCarPosPrev = 0;
    std::int32_t m_nDrawPos = 0;                 // position the car is drawn at
    float m_fStep = 0.0f;                        // controller units per animation step
    float m_fPixelsPerUnit = 0.0f;
    strLiftInf* m_pLiftInf = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
};
