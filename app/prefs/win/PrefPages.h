// The Preferences sheet's pages. Each reads its values when it is
// initialised and writes them back when the sheet applies; every change of a
// control marks the page modified. What the pages share: the preferences,
// the host and the sheet's "something was applied" flag.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "app/prefs/PrefRules.h"
#include "app/prefs/win/PrefsHost.h"
#include "framework/PropertySheet.h"

namespace brx {

class CPreferences;

struct PREF_CONTEXT {
    CPreferences& prefs;
    IPrefsHost& host;
    // Set when a page applied: the preferences are written when the sheet
    // closes.
    bool changed = false;
};

// A number edit that keeps its text within its range: a rule for text set
// into it and one for after a key is released (nothing: left as it is).
class CPrefNumberEdit : public CWnd {
public:
    using Rule = std::optional<std::u16string> (*)(std::u16string_view);
    CPrefNumberEdit(Rule onSet, Rule onKeyUp) : m_onSet(onSet), m_onKeyUp(onKeyUp) {}

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    Rule m_onSet;
    Rule m_onKeyUp;
};

class CPrefPage : public CPropertyPage {
public:
    CPrefPage(UINT templateId, PREF_CONTEXT& context);
    void DoDataExchange(CDataExchange*) override {}

protected:
    // Marks the page modified unless the page is filling its controls.
    void Changed();
    void Applied();
    bool IsChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }
    void Check(int id, bool on) { ::CheckDlgButton(m_hWnd, id, on ? BST_CHECKED : BST_UNCHECKED); }
    void SetText(int id, const std::u16string& text);
    std::u16string GetText(int id) const;
    void DisableAll();
    // The standard information icon at small-icon size in a static.
    void SetInfoIcon(int id);

    PREF_CONTEXT& m_ctx;
    bool m_bFilling = false;
};

class CPrefPageGeneral : public CPrefPage {
public:
    explicit CPrefPageGeneral(PREF_CONTEXT& context);
    BOOL OnInitDialog() override;
    BOOL OnApply() override;
    bool OnCommand(CCommand& cmd) override;

private:
    void EnableScreenset();
    CPrefNumberEdit m_recentFiles;
    CPrefNumberEdit m_screenset;
};

class CPrefPageDriver : public CPrefPage {
public:
    // Asks the driver for its memory step and maximum.
    explicit CPrefPageDriver(PREF_CONTEXT& context);
    BOOL OnInitDialog() override;
    BOOL OnApply() override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    const KernelMemoryScale& GetScale() const { return m_scale; }

private:
    KernelMemoryScale m_scale;
};

class CPrefPageCapture : public CPrefPage {
public:
    explicit CPrefPageCapture(PREF_CONTEXT& context);
    BOOL OnInitDialog() override;
    BOOL OnApply() override;
    bool OnCommand(CCommand& cmd) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void ShowFreeSpace();
    void Browse();
};

class CPrefPageColoring : public CPrefPage {
public:
    explicit CPrefPageColoring(PREF_CONTEXT& context);
    BOOL OnInitDialog() override;
    BOOL OnApply() override;
    bool OnCommand(CCommand& cmd) override;
};

class CPrefPageTime : public CPrefPage {
public:
    explicit CPrefPageTime(PREF_CONTEXT& context);
    BOOL OnInitDialog() override;
    BOOL OnApply() override;
    bool OnCommand(CCommand& cmd) override;

private:
    void ShowSamples();
};

// A page with the same operations and no controls: the shape a new page
// starts from. Never added to the sheet.
class CPrefPageTemplate : public CPrefPage {
public:
    CPrefPageTemplate(UINT templateId, PREF_CONTEXT& context) : CPrefPage(templateId, context) {}
    BOOL OnInitDialog() override { return CPrefPage::OnInitDialog(); }
    BOOL OnApply() override {
        Applied();
        return CPrefPage::OnApply();
    }
    bool OnCommand(CCommand& cmd) override { return CPrefPage::OnCommand(cmd); }
};

} // namespace brx
