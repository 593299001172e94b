// The shortcut step of the install: one file per Shortcut of install.xml, made and saved by the
// shell's own objects (a shell link, ".lnk", for a program or document; an Internet shortcut,
// ".url", for a target that begins "http://"), each recorded in the install log first.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>

// Makes every shortcut in document order with COM initialised around the step. False after the
// fatal error box of the first shortcut that could not be saved; later ones are neither made
// nor recorded.
bool CreateShortcuts();

// Makes one shortcut file, destination + ".url" or ".lnk", after creating the destination's
// folder chain. The calling thread must have COM initialised. False when the shell object could
// not be made or saved, and when the file name does not fit the shell's 260 UTF-16 units
// (nothing is then saved at all).
bool CreateShortcut(const std::string& target, const std::string& destination, const std::string& description,
                    const std::string& arguments);

// Whether target makes an Internet shortcut: its first seven bytes are exactly "http://".
bool IsInternetShortcut(const std::string& target);

// A COM interface pointer, released when it goes out of scope; holders declared one after
// another therefore release in the reverse order of acquisition.
template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (pointer_) pointer_->Release();
    }
    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // For the calls that hand out an interface through a void** or Interface** argument.
    void** ReceiveVoid() { return reinterpret_cast<void**>(&pointer_); }
    Interface** Receive() { return &pointer_; }

private:
    Interface* pointer_ = nullptr;
};

// COM initialised (apartment-threaded) on the calling thread for the scope's duration;
// uninitialised at its end only when this scope's initialisation succeeded, so the calls stay
// balanced also when the thread was already in another mode.
class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (initialised_) CoUninitialize();
    }

private:
    bool initialised_;
};
