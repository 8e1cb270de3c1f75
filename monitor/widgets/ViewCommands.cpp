#include "monitor/widgets/CVexalogView.h"

#include "common/CommandIds.h"

// The commands the main view answers, one row each: its id, when it is
// enabled (always when no rule is given), what it does, and for the port
// items their radio mark.
std::span<const CVexalogView::Command> CVexalogView::Commands()
{
    using View = CVexalogView;
    constexpr auto comPort = [](View& view, int id) { view.m_link.SerialLink().OnComPort(id - CommandId::Com1 + 1); };
    constexpr auto portMarked = [](const View& view, int id) {
        return view.m_link.SerialLink().PortMark(id - CommandId::Com1 + 1);
    };
    static constexpr Command table[] = {
        {CommandId::Open, nullptr, [](View& view, int) { view.ShowDataLoggerWindow()->ImportData(); }},
        {CommandId::DataLogger,
         [](const View& view, int) {
             return view.m_controller.CanDataLogger(view.m_link.Connected()) && view.m_link.Download().CanStart();
         },
         [](View& view, int) { view.OnDataLogger(); }},
        {CommandId::SaveAs, nullptr, [](View& view, int) { view.SaveAs(); }},
        {CommandId::ExportData, [](const View& view, int) { return !view.m_export.Busy(); },
         [](View& view, int) {
             view.m_export.Run(view.m_controller.Store().Data(), view.m_controller.Store().Count());
         }},
        {CommandId::Run, [](const View& view, int) { return view.m_controller.CanRun(); },
         [](View& view, int) { view.m_controller.Run(); }},
        {CommandId::Stop, [](const View& view, int) { return view.m_controller.CanStop(); },
         [](View& view, int) { view.m_controller.Stop(); }},
        {CommandId::Setup, [](const View& view, int) { return view.m_controller.CanSetup(); },
         [](View& view, int) { view.m_controller.Setup(); }},
        {CommandId::CleanData, nullptr, [](View& view, int) { view.m_controller.Clean(); }},
        {CommandId::Histogram, [](const View& view, int) { return view.m_graphOwner.CanHistogram(); },
         [](View& view, int) { view.m_controller.ShowHistogram(); }},
        {CommandId::Line, nullptr, [](View& view, int) { view.m_controller.ShowLine(); }},
        {CommandId::Print, [](const View& view, int) { return view.m_graphOwner.CanPrint(); },
         [](View& view, int) { view.m_controller.Print(); }},
        {CommandId::Report, [](const View& view, int) { return view.m_controller.Store().Count() > 0; },
         [](View& view, int) { view.PrintRecordingReport(); }},
        {CommandId::Com1, nullptr, comPort, portMarked},
        {CommandId::Com2, nullptr, comPort, portMarked},
        {CommandId::Com3, nullptr, comPort, portMarked},
        {CommandId::Com4, nullptr, comPort, portMarked},
        {CommandId::Com5, nullptr, comPort, portMarked},
        {CommandId::OtherPort, nullptr, [](View& view, int) { view.OnOtherPort(); }},
        {CommandId::NoiseIndicators, nullptr,
         [](View& view, int) { view.ShowNoiseIndicators(!view.NoiseIndicatorsShown()); },
         [](const View& view, int) { return view.NoiseIndicatorsShown(); }},
    };
    return table;
}
