// The entry dialog's window: four plain single-line fields under their
// labels, OK and Cancel. Made once and reused; each use copies the logic's
// caption and fields in, and the fields back out only after OK.
#pragma once

#include "app/entry_dialog.h"
#include "app/win32/modal_dialog.h"

namespace zn::win32 {

inline constexpr int kEntryDialogWidth = 282;
inline constexpr int kEntryDialogHeight = 307;
inline constexpr int kEntryFieldWidth = 250;

// The fields keep the logic's names as their ids.
enum EntryDialogControl : int {
    kEntryHeading = 100,
    kSiteField = 101,           // Edit1
    kDescriptionField = 102,    // Edit2
    kUserNameField = 103,       // Edit3
    kEntryPasswordField = 104,  // Edit4
    kEntryNote = 110,           // the greyed "(optional ...)" notes: 110 and up
};

class EntryDialogWindow : public ModalDialog {
public:
    EntryDialogWindow();

    // Shows the dialog modally, centred on the screen; true when it ended with OK.
    bool run(TwAdd& logic);

    void load(const TwAdd& logic);
    void store(TwAdd& logic) const;
    HWND field(int id) const { return control(id); }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int addField(int top, int id, const char* label, const char* note, bool noteBelow);

    HeadingFont headingFont_{true};
};

}  // namespace zn::win32
