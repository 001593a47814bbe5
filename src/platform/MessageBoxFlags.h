#pragma once
// Windows MessageBox flag values (low nibble: buttons; next nibble: icon) and results. Plain
// numbers, so code without any window can name the box it asks for.

namespace kavel::mb {

constexpr unsigned kOk = 0x00;
constexpr unsigned kOkCancel = 0x01;
constexpr unsigned kAbortRetryIgnore = 0x02;
constexpr unsigned kYesNoCancel = 0x03;
constexpr unsigned kYesNo = 0x04;
constexpr unsigned kRetryCancel = 0x05;
constexpr unsigned kIconError = 0x10;
constexpr unsigned kIconQuestion = 0x20;
constexpr unsigned kIconWarning = 0x30;
constexpr unsigned kIconInformation = 0x40;
constexpr int kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5, kIdYes = 6,
              kIdNo = 7;

}  // namespace kavel::mb
