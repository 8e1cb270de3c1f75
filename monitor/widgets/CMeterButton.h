#pragma once

#include "common/MeterWire.h"
#include "monitor/widgets/MainForm.h"
#include "res/PictureIds.h"

#include <QAbstractButton>
#include <QImage>
#include <QPoint>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

// One key of the meter panel: its control id, the caption of the form, where
// it sits, where it moves while pressed (one pixel off, so it looks pushed
// in), its picture and the command byte it sends.
struct MeterKey {
    int id;
    const char* caption;
    QPoint normalPos;
    QPoint pressedPos;
    int pictureId;
    std::uint8_t command;
};

inline constexpr std::array<MeterKey, 6> kMeterKeys = {{
    {ControlId::KeyRec, "REC", QPoint(41, 204), QPoint(40, 204), PictureId::KeyRec, MeterCommand::Rec},
    {ControlId::KeyFastSlow, "FASTSLOW", QPoint(72, 243), QPoint(73, 243), PictureId::KeyFastSlow,
     MeterCommand::FastSlow},
    {ControlId::KeyAC, "A/C", QPoint(79, 291), QPoint(79, 292), PictureId::KeyAC, MeterCommand::AC},
    {ControlId::KeyMaxMin, "MAXMIN", QPoint(56, 327), QPoint(57, 327), PictureId::KeyMaxMin, MeterCommand::MaxMin},
    {ControlId::KeyLevel, "LEVEL", QPoint(79, 373), QPoint(79, 372), PictureId::KeyLevel, MeterCommand::Level},
    {ControlId::KeyStop, "STOP", QPoint(129, 416), QPoint(128, 417), PictureId::KeyStop, MeterCommand::Stop},
}};

// The form's seventh key, "Hold": hidden and disabled, no picture, no command.
inline constexpr int kHoldButtonId = ControlId::KeyHold;

// A picture key of the meter panel. It draws its picture over its whole
// area; while held down it stands at its pressed position. Each press sends
// the key's command byte once through the callback the view gives (the view
// sends only while the meter is connected).
class CMeterButton : public QAbstractButton {
public:
    using SendCommand = std::function<void(std::uint8_t)>;

    CMeterButton(const MeterKey& key, QImage picture, SendCommand send, QWidget* parent = nullptr);

    // The hidden, disabled Hold button 1027 at its form place.
    static CMeterButton* CreateHoldButton(QWidget* parent);

    // Moves the key to its normal position with the size of its picture.
    void Place();

    int Id() const { return m_key.id; }
    std::uint8_t Command() const { return m_key.command; }
    const QImage& Picture() const { return m_picture; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // The key counts as hit at its normal and at its pressed place, so the
    // one-pixel move under a resting mouse never lets it go by itself.
    bool hitButton(const QPoint& pos) const override;

private:
    void OnPressed();
    void OnReleased();

    MeterKey m_key;
    QImage m_picture;
    SendCommand m_send;
};

// The six picture keys of kMeterKeys (pictures from the resources, placed)
// followed by the hidden Hold button, all children of `parent`.
std::vector<CMeterButton*> CreateMeterKeys(QWidget* parent, const CMeterButton::SendCommand& send);
