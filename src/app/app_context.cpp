#include "app/app_context.h"

#include "app/init_form.h"
#include "ui/language.h"
#include "app/main_window.h"
#include "editor/draw_form.h"
#include "editor/picture_stream.h"
#include "link/net_form.h"
#include "link/transfer_forms.h"

namespace zep4 {

TAppContext::TAppContext(TDialogs& dialogs, const std::filesystem::path& startDirectory)
    : dialogs_(dialogs), language_(std::make_unique<TLanguage>(dialogs)) {
    // Order of creation: the main window first, the other windows as they exist, then the
    // start-up window, which resets the setup and applies the language to all of them.
    form1_ = std::make_unique<TForm1>(dialogs_, *language_);
    TForm1& main = *form1_;
    sendForm_ = new TSendForm(main.link(), main.store(), *language_, &main);
    receiveForm_ = new TReceiveForm(main.link(), main.store(), *language_, &main);
    main.setTransferWindows(sendForm_, receiveForm_);
    netForm_ = new TNetForm(main.link(), dialogs_, *language_,
                            [&main] { return std::filesystem::path(main.store().StartDirectory); }, &main);
    main.setConnectionManager(netForm_);
    drawForm_ = new TDrawForm(main.store(), dialogs_, *language_);
    // The live picture stream registers with the link's dispatcher; the editor drives it.
    drawForm_->setPictureStream(new TPictureStream(main.link(), &main));
    main.setEditor(drawForm_);
    initForm_ = new TInitForm(*form1_, *language_, dialogs_, startDirectory);
}

TAppContext::~TAppContext() = default;

}  // namespace zep4
