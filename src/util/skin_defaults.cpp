// The built-in skin: every image and colour the library front end names, with the sizes its layouts
// read. Frame counts follow the controls: band buttons hold 5 states, toolbar and quick-link buttons 4
// (normal, hover, pressed, disabled), check boxes 2.
#include "util/skin.h"

namespace TYX::Util {

std::vector<TYX_SkinImage> TYX_Skin::DefaultImages() {
  std::vector<TYX_SkinImage> images = {
      // Sidebar band buttons: left and right ends; the band's middle image comes from the host's set.
      {20103, {30, 18}, 5, "band button left"},
      {20104, {30, 18}, 5, "band button right"},
      {20105, {1085, 18}, 5, "band button middle: library"},
      {20106, {1085, 18}, 5, "band button middle: saved lists"},
      {20107, {1085, 18}, 5, "band button middle: device"},
      {20108, {1085, 18}, 5, "band button middle: store"},
      // Quick-link strip. The strip shares 20110 with button 1, the location bar 20114 with button 5, and
      // buttons 6 to 8 share their IDs with the first scroll-bar parts; one image serves both uses.
      {20109, {80, 25}, 4, "quick link 0"},
      {20110, {80, 25}, 4, "quick link 1 / quick-link strip background"},
      {20111, {80, 25}, 4, "quick link 2"},
      {20112, {80, 25}, 4, "quick link 3"},
      {20113, {92, 25}, 4, "quick link 4"},
      {20114, {92, 25}, 4, "quick link 5 / location bar"},
      {20115, {92, 25}, 4, "quick link 6 / scroll bar up arrow"},
      {20116, {92, 25}, 4, "quick link 7 / scroll bar down arrow"},
      {20117, {80, 25}, 4, "quick link 8 / scroll bar track"},
      {20118, {64, 16}, 4, "scroll bar thumb top"},
      {20119, {64, 16}, 4, "scroll bar thumb middle"},
      {20120, {64, 16}, 4, "scroll bar thumb bottom"},
      {20121, {64, 16}, 4, "scroll bar left arrow"},
      {20122, {64, 16}, 4, "scroll bar right arrow"},
      {20123, {16, 16}, 1, "scroll bar corner"},
      // Tree node strips (16 x 16 images side by side), one per band tree.
      {20124, {128, 16}, 8, "tree nodes: library"},
      {20125, {128, 16}, 8, "tree nodes: saved lists"},
      {20126, {128, 16}, 8, "tree nodes: device"},
      {20127, {128, 16}, 8, "tree nodes: store"},
      {20130, {68, 19}, 4, "drop-down button"},
      // List controls.
      {20140, {26, 13}, 2, "check box column"},
      {20141, {32, 14}, 1, "type icon 1"},
      {20142, {32, 14}, 1, "type icon 10"},
      {20143, {32, 14}, 1, "type icon 11"},
      {20144, {32, 14}, 1, "type icon 12"},
      {20145, {32, 14}, 1, "type icon 13"},
      {20146, {32, 14}, 1, "type icon 14"},
      {20147, {32, 14}, 1, "type icon 15"},
      {20148, {32, 14}, 1, "type icon 16"},
      {20149, {32, 14}, 1, "type icon 17"},
      {20150, {32, 14}, 1, "type icon 18"},
      {20151, {32, 14}, 1, "type icon 19"},
      {20152, {32, 14}, 1, "type icon 2"},
      {20153, {32, 14}, 1, "type icon 20"},
      {20154, {32, 14}, 1, "type icon 3"},
      {20155, {32, 14}, 1, "type icon 4"},
      {20156, {32, 14}, 1, "type icon 5"},
      {20157, {32, 14}, 1, "type icon 6"},
      {20158, {32, 14}, 1, "type icon 7"},
      {20159, {32, 14}, 1, "type icon 8"},
      {20160, {32, 14}, 1, "type icon 9"},
      {20163, {16, 16}, 1, "lyrics icon 1"},
      {20164, {16, 16}, 1, "lyrics icon 5"},
      {20165, {16, 16}, 1, "lyrics icon 3"},
      {20166, {16, 16}, 1, "lyrics icon 4"},
      {20167, {16, 16}, 1, "lyrics icon 2"},
      {20168, {16, 16}, 1, "title cell marker"},
      {20176, {16, 16}, 1, "title cell now playing"},
      {20177, {16, 16}, 1, "title cell paused"},
      {20178, {8, 22}, 1, "list header left"},
      {20179, {8, 22}, 1, "list header middle"},
      {20180, {26, 22}, 1, "row number cell"},
      {20189, {8, 22}, 1, "list header right"},
      {20190, {2, 22}, 1, "list header separator"},
      {20519, {8, 22}, 1, "list header sort mark"},
      // Popups and dialogs: the frame's title bar and close box, and one button face per button set.
      {1, {73, 22}, 1, "popup buttons: close"},
      {2, {73, 22}, 1, "popup buttons: cancel"},
      {8007, {73, 22}, 1, "popup buttons: OK"},
      {8008, {73, 22}, 1, "popup buttons: OK and cancel"},
      {8009, {73, 22}, 1, "popup buttons: next and cancel"},
      {8010, {73, 22}, 1, "popup buttons: confirm"},
      {8011, {73, 22}, 1, "popup buttons: yes and no"},
      {20250, {400, 30}, 1, "popup title bar"},
      {20251, {16, 16}, 1, "popup close box"},
      {20253, {16, 16}, 1, "add-files title icon"},
      {20282, {96, 96}, 1, "transfer result picture"},
      {20347, {300, 12}, 1, "progress bar fill"},
      {20427, {300, 12}, 1, "progress bar track"},
      {20437, {4, 5}, 1, "splitter left"},
      {20438, {4, 5}, 1, "splitter right"},
      {20439, {16, 5}, 1, "splitter middle"},
      {20440, {32, 5}, 1, "splitter grip"},
      {20443, {32, 32}, 1, "band button cursor"},
      // Panel toolbar: each button is as wide as one frame of its image.
      {20509, {200, 20}, 4, "toolbar listen"},
      {20510, {200, 20}, 4, "toolbar transfer"},
      {20511, {200, 20}, 4, "toolbar delete"},
      {20512, {200, 20}, 4, "toolbar copy to sync list"},
      {20513, {264, 20}, 4, "toolbar add menu"},
      {20514, {296, 20}, 4, "toolbar power search"},
      {20515, {264, 20}, 4, "toolbar add menu (sync list)"},
      {20520, {760, 50}, 1, "sync area background"},
      {20530, {16, 16}, 1, "menu check mark icon"},
  };
  return images;
}

std::vector<TYX_SkinColor> TYX_Skin::DefaultColors() {
  return {
      {27003, 0x00FBF7F5, "list background"},
  };
}

}  // namespace TYX::Util
