// cTryProgress: the progress of one try of the fit-under-size search, in
// front of the export's own. The bar and Cancel are the export's; the
// status line says which try runs with which choices; failures and files
// left out are kept for the search to judge instead of told: a try that
// runs over the size fails by design.
#pragma once

#include "ExportProgress.h"

class cTryProgress : public cExportProgress
{
public:
    cTryProgress(cExportProgress* pOuter, LPCSTR pszTry) : m_pOuter(pOuter), m_strTry(pszTry) {}

// Attributes
    // The first failure the try met, empty when none.
    LPCSTR GetFirstFailure() const { return m_strFailure; }

// Overridables
    void Show() override { m_pOuter->SetStatus(m_strTry); }
    void Hide() override {}
    void SetStatus(LPCSTR) override {}
    void SetRange(int nMax) override { m_pOuter->SetRange(nMax); }
    void StepIt() override { m_pOuter->StepIt(); }

protected:
    void ShowFailure(const cExportReport::Failure& failure) override
    {
        if (m_strFailure.IsEmpty())
            m_strFailure = failure.strMessage;
    }
    bool PollCancel() override { return m_pOuter->IsCancelled(); }

// Implementation
private:
    cExportProgress* m_pOuter;
    CString m_strTry;
    CString m_strFailure;
};
