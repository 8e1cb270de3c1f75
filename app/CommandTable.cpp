#include "app/CommandTable.h"

#include <QRegularExpression>

using namespace CommandId;

const std::vector<TopMenu>& MainMenuTable()
{
    static const std::vector<TopMenu> menus = {
        {"File(&F)", 0, nullptr,
         {
             {Open, "Open\tCtrl+O(&O)", "Open DataLogger"},
             {ExportData, "Export Data", "Export Data"},
             {SaveAs, "Save as \tCtrl+S(&S)", "Save Data"},
             {Print, "Print(&P)", "Print Real-Time Graph"},
             {Report, "Report\u2026", "Print a Measurement Report of the Recording"},
             {},
             {},
             {Exit, "Exit(&X)", "Exit Application"},
         }},
        {"Real Time(&R)", 0, nullptr,
         {
             {Run, "Run(&R)", "Run Real Time Monitoring"},
             {Stop, "Stop(&S)", "Stop Real Time Monitoring"},
             {Setup, "Setup(&U)", "Setting Real Time Parameter"},
             {CleanData, "Clean Data(C)", "Clean Real Time Data"},
         }},
        {"DataLogger(&D)", DataLogger, "Run DataLogger", {}},
        {"Graph(&G)", 0, nullptr,
         {
             {Histogram, "Histogram(&H)", "Histogram"},
             {Line, "Line(L)", "Line"},
         }},
        {"Com Port(&C)", 0, nullptr,
         {
             {Com1, "Com1(&C)", "Port1", true},
             {Com2, "Com2(&O)", "Port2", true},
             {Com3, "Com3(&M)", "Port3", true},
             {Com4, "Com4(&4)", "Port4", true},
             {Com5, "Com5(&5)", "Port5", true},
             {OtherPort, "Other(&O)", nullptr},
         }},
        {"View(&V)", 0, nullptr,
         {
             {ViewToolBar, "ToolBar(&T)", "Show or Hide ToolBar", false, true},
             {ViewStatusBar, "StatusBar(&S)", "Show or Hide StatusBar", false, true},
             {NoiseIndicators, "Noise Indicators(&N)", "Show or Hide the Noise Indicators", false, true},
         }},
        {"Help(&H)", 0, nullptr,
         {
             {HelpContents, "Contents(&C)", "Help"},
             {About, "About LX47(&A)...", "Show Copyright"},
         }},
    };
    return menus;
}

const std::vector<ToolbarButton>& ToolbarTable()
{
    static const std::vector<ToolbarButton> buttons = {
        {Open, 0},  {SaveAs, 1},       {ExportData, 2}, {},
        {Run, 3},   {Stop, 4},         {Print, 5},      {},
        {HelpContents, 6}, {Unhandled1, 7}, {Unhandled2, 8}, {Unhandled3, 9},
    };
    return buttons;
}

const std::vector<Accelerator>& AcceleratorTable()
{
    static const std::vector<Accelerator> keys = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), FileNew},
        // The File menu shows these two beside Open and Save as: they run them.
        {QKeySequence(Qt::CTRL | Qt::Key_O), Open},
        {QKeySequence(Qt::CTRL | Qt::Key_S), SaveAs},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), EditUndo},
        {QKeySequence(Qt::ALT | Qt::Key_Backspace), EditUndo},
        {QKeySequence(Qt::CTRL | Qt::Key_X), EditCut},
        {QKeySequence(Qt::SHIFT | Qt::Key_Delete), EditCut},
        {QKeySequence(Qt::CTRL | Qt::Key_C), EditCopy},
        {QKeySequence(Qt::CTRL | Qt::Key_Insert), EditCopy},
        {QKeySequence(Qt::CTRL | Qt::Key_V), EditPaste},
        {QKeySequence(Qt::SHIFT | Qt::Key_Insert), EditPaste},
        {QKeySequence(Qt::Key_F6), NextPane},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), PrevPane},
    };
    return keys;
}

QString CommandPrompt(int id)
{
    for (const TopMenu& menu : MainMenuTable()) {
        if (menu.id == id && id != 0)
            return menu.prompt ? QString::fromLatin1(menu.prompt) : QString();
        for (const MenuEntry& entry : menu.entries) {
            if (entry.id == id && id != 0)
                return entry.prompt ? QString::fromLatin1(entry.prompt) : QString();
        }
    }
    return {};
}

ResourceMenuText SplitResourceText(const char* text)
{
    ResourceMenuText result;
    QString rest = QString::fromUtf8(text ? text : "");
    static const QRegularExpression mnemonic(QStringLiteral("\\(&(.)\\)"));
    const QRegularExpressionMatch match = mnemonic.match(rest);
    if (match.hasMatch()) {
        result.mnemonic = match.captured(1).at(0);
        rest.remove(match.capturedStart(), match.capturedLength());
    }
    const qsizetype tab = rest.indexOf(QLatin1Char('\t'));
    result.label = tab < 0 ? rest : rest.left(tab);
    result.shortcut = tab < 0 ? QString() : rest.mid(tab + 1);
    return result;
}

QString QtMenuText(const char* text)
{
    const ResourceMenuText parts = SplitResourceText(text);
    QString label = parts.label;
    label.replace(QLatin1Char('&'), QStringLiteral("&&"));
    if (!parts.mnemonic.isNull()) {
        const qsizetype at = label.indexOf(parts.mnemonic, 0, Qt::CaseInsensitive);
        if (at >= 0 && parts.mnemonic != QLatin1Char('&'))
            label.insert(at, QLatin1Char('&'));
        else
            label += QStringLiteral("(&") + parts.mnemonic + QLatin1Char(')');
    }
    if (!parts.shortcut.isEmpty())
        label += QLatin1Char('\t') + parts.shortcut;
    return label;
}
