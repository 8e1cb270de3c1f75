#include "app/CVexalogApp.h"

#include "app/CAboutDlg.h"
#include "app/CHelpWindow.h"
#include "app/CMainFrame.h"
#include "app/CQtDialogs.h"
#include "app/CommandTable.h"

#include <QCoreApplication>
#include <QSettings>

CVexalogApp::CVexalogApp(IDialogSeam* dialogs)
{
    if (dialogs) {
        m_dialogs = dialogs;
    } else {
        m_qtDialogs = std::make_unique<CQtDialogs>();
        m_dialogs = m_qtDialogs.get();
    }
}

CVexalogApp::~CVexalogApp()
{
    SaveProfile();
    m_help.reset();
    // The frame goes first: the view it owns may still use the dialogs.
    m_frame.reset();
}

void CVexalogApp::SetApplicationNames()
{
    QCoreApplication::setOrganizationName(QString::fromLatin1(kProfileKey));
    QCoreApplication::setApplicationName(QString::fromLatin1(kAppName));
}

bool CVexalogApp::InitInstance(const ViewFactory& makeView, bool show)
{
    {
        QSettings settings;
        m_recentFiles.Load(settings);
    }
    if (!m_doc.OnNewDocument())
        return false;

    m_frame = std::make_unique<CMainFrame>();
    if (m_qtDialogs)
        m_qtDialogs->SetParentWindow(m_frame.get());
    ViewParts view;
    if (makeView)
        view = makeView(*m_dialogs, m_frame.get());
    m_frame->SetView(view.widget, view.target);
    m_frame->SetAppCommands(this);
    // Closing the main window ends the program, help window and all.
    QObject::connect(m_frame.get(), &CMainFrame::Closing, m_frame.get(), [this] {
        if (m_help)
            m_help->close();
        QCoreApplication::quit();
    });

    if (show) {
        m_frame->show();
        m_frame->setWindowTitle(QStringLiteral("LX47"));
    }
    return true;
}

void CVexalogApp::SaveProfile() const
{
    if (QCoreApplication::organizationName().isEmpty())
        return;
    QSettings settings;
    m_recentFiles.Save(settings);
}

void CVexalogApp::ShowHelpContents()
{
    // Help has no owner window: it stays open beside the frame.
    if (!m_help)
        m_help = std::make_unique<CHelpWindow>();
    m_help->ShowTopic(QString::fromLatin1(CHelpWindow::kEntryTopic));
}

void CVexalogApp::ShowAbout()
{
    CAboutDlg about(m_frame.get());
    about.exec();
}

bool CVexalogApp::HandlesCommand(int id) const
{
    switch (id) {
    case CommandId::About:
    case CommandId::HelpContents:
    case CommandId::FileNew:
    case CommandId::FileOpen:
    case CommandId::FileSave:
        return true;
    default:
        return false;
    }
}

bool CVexalogApp::IsCommandEnabled(int id) const
{
    return HandlesCommand(id);
}

bool CVexalogApp::IsCommandMarked(int) const
{
    return false;
}

void CVexalogApp::OnCommand(int id)
{
    switch (id) {
    case CommandId::About:
        ShowAbout();
        break;
    case CommandId::HelpContents:
        ShowHelpContents();
        break;
    case CommandId::FileNew:
        m_doc.OnNewDocument();
        break;
    case CommandId::FileOpen:
    case CommandId::FileSave:
        // The document holds no data: there is nothing to open or save.
        break;
    default:
        break;
    }
}
