#pragma once

// The program's single document. All data lives in the view (the reading
// store) and the DataLogger window, so the document holds nothing and its
// new, open and save write and read nothing.
class CVexalogDoc {
public:
    // New document (Ctrl+N): nothing to re-initialise; the view keeps its
    // port, store and settings.
    bool OnNewDocument() { return true; }
};
