#pragma once

#include "common/CommandTarget.h"

#include <map>
#include <set>
#include <string>
#include <vector>

// A view stand-in: handles the ids it is given, with enable and mark states
// a test can change, and logs every command it receives.
class CFakeCommandTarget final : public ICommandTarget {
public:
    explicit CFakeCommandTarget(std::set<int> handled) : m_handled(std::move(handled)) {}

    bool HandlesCommand(int id) const override { return m_handled.count(id) != 0; }
    bool IsCommandEnabled(int id) const override { return m_disabled.count(id) == 0; }
    bool IsCommandMarked(int id) const override { return m_marked.count(id) != 0; }
    void OnCommand(int id) override { m_received.push_back(id); }
    std::string LivePrompt(int id) const override
    {
        const auto found = m_prompts.find(id);
        return found == m_prompts.end() ? std::string() : found->second;
    }
    void SetPrompt(int id, std::string prompt) { m_prompts[id] = std::move(prompt); }

    void SetEnabled(int id, bool enabled)
    {
        if (enabled)
            m_disabled.erase(id);
        else
            m_disabled.insert(id);
    }
    void SetMarked(int id, bool marked)
    {
        if (marked)
            m_marked.insert(id);
        else
            m_marked.erase(id);
    }
    const std::vector<int>& Received() const { return m_received; }

private:
    std::set<int> m_handled;
    std::set<int> m_disabled;
    std::set<int> m_marked;
    std::map<int, std::string> m_prompts;
    std::vector<int> m_received;
};

// Every command the main view handles.
inline std::set<int> ViewCommands()
{
    return {32792, 32778, 1033, 32797, 32780, 32781, 32782, 32783, 32784, 32771,
            32772, 32786, 32787, 32788, 32789, 32790, 32799};
}
