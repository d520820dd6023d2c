// Messages shown to the user by the world model.
//
// The core never opens a window: it hands the text to the service in force. The GUI
// installs one that shows a message box; the default writes the text to stderr (batch
// runs); tests install a recorder.
#pragma once

#include <string>

namespace kv {

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual void Show(const std::string& text) = 0;
    // A Yes/No question; true for Yes. Without a window to ask in, the text is shown and
    // the answer is No, so that nothing is changed unasked.
    virtual bool AskYesNo(const std::string& text)
    {
        Show(text);
        return false;
    }
};

// The service in force (never null).
MessageService& GetMessageService();
// Installs `service` (null restores the default) and returns the previous one, or null
// when the default was in force. The caller keeps `service` alive while installed.
MessageService* SetMessageService(MessageService* service);
// A service for the calling thread alone, in force over the process-wide one while set
// (null: the process-wide one again); returns the previous.
MessageService* SetThreadMessageService(MessageService* service);

inline void ShowMessage(const std::string& text) { GetMessageService().Show(text); }
inline bool AskYesNo(const std::string& text) { return GetMessageService().AskYesNo(text); }

} // namespace kv
