#include "meter/MeterLinkListener.h"

#include <algorithm>

void CMeterLinkListeners::Remove(IMeterLinkListener& listener)
{
    std::erase(m_listeners, &listener);
}

void CMeterLinkListeners::InvalidatePanel(const PanelRect& rect)
{
    for (IMeterLinkListener* listener : m_listeners)
        listener->InvalidatePanel(rect);
}

void CMeterLinkListeners::CurrentValueDecoded()
{
    for (IMeterLinkListener* listener : m_listeners)
        listener->CurrentValueDecoded();
}

void CMeterLinkListeners::DisplayValueDecoded(double value)
{
    for (IMeterLinkListener* listener : m_listeners)
        listener->DisplayValueDecoded(value);
}

void CMeterLinkListeners::BlockDecoded()
{
    for (IMeterLinkListener* listener : m_listeners)
        listener->BlockDecoded();
}

void CMeterLinkListeners::PortOpened()
{
    for (IMeterLinkListener* listener : m_listeners)
        listener->PortOpened();
}

void CMeterLinkListeners::LinkLost()
{
    for (IMeterLinkListener* listener : m_listeners)
        listener->LinkLost();
}
