#include "monitor/widgets/CMeterButton.h"

#include "res/DialogUnits.h"
#include "res/PanelBitmaps.h"

#include <QPainter>

CMeterButton::CMeterButton(const MeterKey& key, QImage picture, SendCommand send, QWidget* parent)
    : QAbstractButton(parent), m_key(key), m_picture(std::move(picture)), m_send(std::move(send))
{
    setObjectName(QString::number(m_key.id));
    setText(QString::fromLatin1(m_key.caption));
    setAttribute(Qt::WA_OpaquePaintEvent, !m_picture.isNull());
    // The byte goes out on the press itself, once; repaints send nothing.
    connect(this, &QAbstractButton::pressed, this, &CMeterButton::OnPressed);
    connect(this, &QAbstractButton::released, this, &CMeterButton::OnReleased);
}

CMeterButton* CMeterButton::CreateHoldButton(QWidget* parent)
{
    static constexpr MeterKey kHold{kHoldButtonId, "Hold", QPoint(), QPoint(), 0, 0};
    auto* hold = new CMeterButton(kHold, QImage(), SendCommand(), parent);
    hold->setGeometry(DialogRect(363, 276, 50, 25));
    hold->setEnabled(false);
    hold->hide();
    return hold;
}

void CMeterButton::Place()
{
    setGeometry(QRect(m_key.normalPos, m_picture.isNull() ? size() : m_picture.size()));
    update();
}

QSize CMeterButton::sizeHint() const
{
    return m_picture.isNull() ? QSize(0, 0) : m_picture.size();
}

void CMeterButton::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
}

bool CMeterButton::hitButton(const QPoint& pos) const
{
    const QPoint inParent = mapToParent(pos);
    const QRect normal(m_key.normalPos, size());
    const QRect pressed(m_key.pressedPos, size());
    return normal.contains(inParent) || pressed.contains(inParent);
}

void CMeterButton::OnPressed()
{
    move(m_key.pressedPos);
    if (m_send && m_key.command != 0)
        m_send(m_key.command);
}

void CMeterButton::OnReleased()
{
    move(m_key.normalPos);
}

std::vector<CMeterButton*> CreateMeterKeys(QWidget* parent, const CMeterButton::SendCommand& send)
{
    std::vector<CMeterButton*> keys;
    keys.reserve(kMeterKeys.size() + 1);
    for (const MeterKey& key : kMeterKeys) {
        auto* button = new CMeterButton(key, LoadPanelBitmap(key.pictureId), send, parent);
        button->Place();
        keys.push_back(button);
    }
    keys.push_back(CMeterButton::CreateHoldButton(parent));
    return keys;
}
