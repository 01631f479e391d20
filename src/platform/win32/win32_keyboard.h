#pragma once
// The keyboard between the message loops and the controls, and the show request one start
// of the program sends to the instance already running.

#include <windows.h>

#include <string>

#include "platform/win32/backend_context.h"

namespace tarvik::platform::win32 {

// Every loop calls this for each message before translating it: true when the program used
// the key and the message goes no further.
bool PreviewKeyMessage(BackendContext& context, const MSG& msg);

// The registered message of an instance lock's name, and its posting to our windows.
std::wstring ShowRequestMessageName(const std::wstring& instanceName);
void PostShowRequest(const std::wstring& instanceName);

}  // namespace tarvik::platform::win32
