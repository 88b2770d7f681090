// Resource numbers of the program's artwork (icons, message-box pictures,
// check images and animation strips). Plain #defines so that both the
// resource script and C++ can use them. The pictures themselves are drawn by
// scripts/draw-art.py; run it again after changing the drawing.
#ifndef ZW_UI_WIN32_RES_ART_IDS_H
#define ZW_UI_WIN32_RES_ART_IDS_H

// Icons. The order of the numbers is the icon index the shell uses:
// index 0 = the program, index 1 = catalog files, index 2 = result lists.
#define IDI_ZWILLO 1   // program icon (16, 32, 48, 256)
#define IDI_CATALOG 2  // catalog file (.zwc), icon index 1
#define IDI_RESULTS 3  // result list file (.zwr), icon index 2

// Message-box pictures (32 and 48 pixels), shown instead of the standard
// icon; the numbers are the picture numbers of the message table.
#define IDI_PIC_ALL_CHECKED 201   // all files of a set are checked
#define IDI_PIC_TIDY_UP 202       // remove single files from the result list
#define IDI_PIC_NO_CRITERION 203  // no comparison criterion chosen
#define IDI_PIC_DELETE 204        // delete files for good
#define IDI_PIC_MOVE 205          // move files into a folder
#define IDI_PIC_RECYCLE 206       // move files to the recycle bin
#define IDI_PIC_LINK 207          // replace files by shortcuts

// Bitmaps: 24-bit, magenta (255,0,255) is transparent; smooth edges are
// blended against the button-face grey (240,240,240).
#define IDB_CHECKS 300       // state images of the result list, a strip
#define IDB_ANIM_SEARCH 310  // searching files: a lens sweeping over sheets
#define IDB_ANIM_COPY 311    // a sheet flying into a folder (move)
#define IDB_ANIM_DELETE 312  // a sheet flying into a bin (delete, recycle)
#define IDB_ABOUT 320        // About page picture, 96 x 96

#define ZW_ART_TRANSPARENT_RGB 0x00FF00FF  // COLORREF of magenta

// The check image strip: each image 12 x 15 pixels, in this order. Row kind k
// (0 light, 1 light checked, 2 dark, 3 dark checked) shows image 1 + k. A list
// view's state image numbers count from 1 (0 = none), so image i of the strip
// is INDEXTOSTATEIMAGEMASK(i + 1) there.
#define ZW_CHECK_IMAGE_WIDTH 12
#define ZW_CHECK_IMAGE_HEIGHT 15
#define ZW_CHECK_IMAGE_COUNT 9
#define ZW_CHECK_EMPTY 0
#define ZW_CHECK_UNCHECKED_LIGHT 1
#define ZW_CHECK_CHECKED_LIGHT 2
#define ZW_CHECK_UNCHECKED_DARK 3
#define ZW_CHECK_CHECKED_DARK 4
#define ZW_CHECK_BOOK_LIGHT 5
#define ZW_CHECK_BOOK_DARK 6
#define ZW_CHECK_UNCHECKED_DIMMED 7
#define ZW_CHECK_CHECKED_DIMMED 8

// The animation strips: frames side by side, played left to right.
#define ZW_ANIM_FRAME_SIZE 32
#define ZW_ANIM_FRAME_COUNT 8

#endif
