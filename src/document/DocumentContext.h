// "The active document": the document of the main frame's active view, reached through one
// small context object that the shell sets (and tests replace). Without one there is no
// active document.
#pragma once

namespace kv {

class CKVDoc;
class HintObject;

class DocumentContext {
public:
    virtual ~DocumentContext() = default;
    // The active view's document; null without a main frame or an active view.
    virtual CKVDoc* GetActiveDoc() = 0;
};

// Installs `context` (null: none) and returns the previous one. The caller keeps it alive
// while installed.
DocumentContext* SetDocumentContext(DocumentContext* context);

// The active document, or null.
CKVDoc* GetActiveDoc();

// UpdateAllViews of the active document with the same arguments: 0, or -1 (nothing sent)
// when there is no active document.
int UpdateActiveDocViews(const void* sender, int hint, const HintObject* object);

} // namespace kv
