#pragma once
// The screen redraws that several operations share.
//
// A commit composes the working layers of the current layer set into work surface 1 and makes
// them the shown scene; work surface 3 then keeps that picture without overlays (buttons, maps
// and icons restore their background from it) and the overlays (script/ops/screen_overlays.h)
// are drawn over work surface 1. Showing copies work surface 1 to the screen surface, draws the
// choice list or the message windows over it and presents the screen to the window.

#include <cstdint>
#include <string_view>

namespace kv {

class LayerSet;

// What goes over the screen surface once work surface 1 has been copied there.
enum class SceneText : std::uint8_t {
    None,
    // The choice list while a menu is busy, then every shown message window.
    ChoiceThenMessages,
    // The choice list while a menu is busy, else every shown message window.
    ChoiceOrMessages,
    // The choice list while a menu is busy, else every shown window's page laid out again.
    ChoiceOrReplayedPages,
};

// Every path that commits the working layers calls this: ComposeAndCommit of the current
// layer set, work surface 1 to work surface 3, then the system buttons, the clickable map and
// the save-slot screen onto work surface 1.
void CommitScene();
// The shown scene (with the temporary pictures of LoadShownPictures) into work surface 1, work
// surface 3 after it, then the system buttons and the clickable map onto work surface 1.
void ComposeShownScene();
// Work surface 1 to the screen surface, the text over it, and the screen to the window.
void ShowComposedScene(SceneText text);

// ---- message windows ----
bool MessageWindowExists(std::int32_t window);
// Its page text is not empty.
bool MessageWindowShown(std::int32_t window);
bool AnyMessageWindowShown();
// The window's page blended over the screen surface, cut to the screen size.
void DrawMessageWindow(std::int32_t window);
// Every shown message window, in index order.
void DrawShownMessageWindows();

// The area of the auto-mode click-wait icon from work surface 1 to the screen surface and to
// the window, which takes the icon away.
void RestoreAutoModeIconArea();

// ---- the shown scene's pictures ----
// Pictures live in the working layers; a shown layer that names a picture its working layer no
// longer holds gets one of its own, loaded by name (both banks), so that the shown scene can be
// drawn as it was. FreeShownPictures takes them all away again.
// A picture that cannot be loaded is left out after the lookup's box; a restore of a saved game
// reports it once more with its own text for each bank (the redraws with none).
struct ShownPictureFailTexts {
    std::string_view pictures;
    std::string_view masks;
};
void LoadShownPictures(LayerSet& layers, const ShownPictureFailTexts& failTexts = {});
void FreeShownPictures(LayerSet& layers);

// The whole shown scene drawn again with its overlays and the page text of its message windows
// (after a load and after the return to the title, whose code first loads the shown pictures);
// the shown pictures are freed afterwards.
void RedrawScreen();

}  // namespace kv
