// Help context numbers of the windows, pages and dialogs, and the page of
// each: the topics that F1 and Ctrl+K open in Zwillo.chm. The help project
// (help/zwillo.hhp) includes this file in its [MAP] section and maps each
// name to its page in [ALIAS]; the help build and the zw_help_links test fail
// when a name has no page or kHelpTopics names another page than [ALIAS].
//
// Open a topic by its page, "<folder>\Zwillo.chm::/keyboard.html" with
// HH_DISPLAY_TOPIC, not by its number: chmcmd, which compiles the file here,
// stores the context map with the build folder's path in the page names, so
// HH_HELP_CONTEXT and "hh -mapid" find no page in a file it compiled.
//
// The help compiler reads only the "#define NAME NUMBER" lines.
#ifndef ZW_UI_WIN32_HELP_CONTEXTS_H
#define ZW_UI_WIN32_HELP_CONTEXTS_H

#define IDH_MAIN_WINDOW 21
#define IDH_RESULTS_PAGE 22
#define IDH_COMPARISON_OPTIONS 23
#define IDH_SCAN_OPTIONS 24
#define IDH_COMMON_OPTIONS 25
#define IDH_HELP_PAGE 26
#define IDH_ABOUT_PAGE 27
#define IDH_KEYBOARD 220
#define IDH_CHECK_BY_CRITERIA 230
#define IDH_CREATE_CATALOG 231
#define IDH_ADV_FILENAME 232
#define IDH_ADV_SIZE 233
#define IDH_ADV_DATE 234
#define IDH_ADV_CONTENT 235
#define IDH_COUNTDOWN_BOX 240
#define IDH_SCAN_LOG 241
#define IDH_EXCEPTION_REPORT 242
#define IDH_FILE_TYPES 251
#define IDH_SCRIPT_COMMANDS 260
#define IDH_FILE_FORMATS 270

#ifdef __cplusplus
namespace zw::help {

struct THelpTopic {
  int context;
  const char* page;
};

inline constexpr THelpTopic kHelpTopics[] = {
    {IDH_MAIN_WINDOW, "main_window.html"},
    {IDH_RESULTS_PAGE, "results.html"},
    {IDH_COMPARISON_OPTIONS, "comparison_options.html"},
    {IDH_SCAN_OPTIONS, "scan_options.html"},
    {IDH_COMMON_OPTIONS, "common_options.html"},
    {IDH_HELP_PAGE, "help_page.html"},
    {IDH_ABOUT_PAGE, "about.html"},
    {IDH_KEYBOARD, "keyboard.html"},
    {IDH_CHECK_BY_CRITERIA, "check_by_criteria.html"},
    {IDH_CREATE_CATALOG, "create_catalog.html"},
    {IDH_ADV_FILENAME, "adv_filename.html"},
    {IDH_ADV_SIZE, "adv_size.html"},
    {IDH_ADV_DATE, "adv_date.html"},
    {IDH_ADV_CONTENT, "adv_content.html"},
    {IDH_COUNTDOWN_BOX, "countdown_box.html"},
    {IDH_SCAN_LOG, "scan_log.html"},
    {IDH_EXCEPTION_REPORT, "exception_report.html"},
    {IDH_FILE_TYPES, "file_types.html"},
    {IDH_SCRIPT_COMMANDS, "script_commands.html"},
    {IDH_FILE_FORMATS, "file_formats.html"},
};

// The page of a help context; a context without a page of its own gets the
// main window's.
inline const char* HelpTopicPage(int context) {
  for (const THelpTopic& topic : kHelpTopics)
    if (topic.context == context) return topic.page;
  return "main_window.html";
}

}  // namespace zw::help
#endif

#endif
