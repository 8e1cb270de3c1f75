#pragma once

#include "app/CRecentFileList.h"
#include "app/CVexalogDoc.h"
#include "common/CommandTarget.h"

#include <functional>
#include <memory>

class CHelpWindow;
class CMainFrame;
class CQtDialogs;
class IDialogSeam;
class QWidget;

// The application object: names and profile settings, the document, the main
// frame and its view, and the application-level commands (About, help
// contents and the framework's new/open/save of the empty document).
class CVexalogApp final : public ICommandTarget {
public:
    // The view the frame hosts: its widget (owned by the frame from then on)
    // and the receiver of its commands.
    struct ViewParts {
        QWidget* widget = nullptr;
        ICommandTarget* target = nullptr;
    };
    using ViewFactory = std::function<ViewParts(IDialogSeam& dialogs, QWidget* parent)>;

    // dialogs: the seam the view gets; the real Qt dialogs when null.
    explicit CVexalogApp(IDialogSeam* dialogs = nullptr);
    ~CVexalogApp() override;
    CVexalogApp(const CVexalogApp&) = delete;
    CVexalogApp& operator=(const CVexalogApp&) = delete;

    // Organisation and application names, which place the profile settings.
    static void SetApplicationNames();
    static constexpr const char* kProfileKey = "LX47 Application";
    static constexpr const char* kAppName = "Vexalog";
    static constexpr int kRecentFiles = 4;

    // Loads the profile settings, makes the frame and the view, and (when
    // show) shows the frame and titles it "LX47".
    bool InitInstance(const ViewFactory& makeView, bool show = true);

    CMainFrame* MainFrame() const { return m_frame.get(); }
    CVexalogDoc& Document() { return m_doc; }
    const CRecentFileList& RecentFiles() const { return m_recentFiles; }
    IDialogSeam& Dialogs() { return *m_dialogs; }
    // The help window once help has been asked for.
    CHelpWindow* HelpWindow() const { return m_help.get(); }
    void ShowHelpContents();
    void ShowAbout();

    bool HandlesCommand(int id) const override;
    bool IsCommandEnabled(int id) const override;
    bool IsCommandMarked(int id) const override;
    void OnCommand(int id) override;

private:
    void SaveProfile() const;

    std::unique_ptr<CQtDialogs> m_qtDialogs;
    IDialogSeam* m_dialogs = nullptr;
    CVexalogDoc m_doc;
    CRecentFileList m_recentFiles{kRecentFiles};
    std::unique_ptr<CHelpWindow> m_help;
    std::unique_ptr<CMainFrame> m_frame;
};
