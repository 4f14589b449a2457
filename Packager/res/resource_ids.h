/* The installer's resource ids, result codes and fixed texts: one
   definition each, read by the resource scripts (windres), by the program
   and its tests (C++) and by the scripts (scripts/release/pe_resources.py
   reads these lines). Only "#define NAME number" and "#define NAME "text""
   lines, so that every reader understands them. The ids and names of the
   carried files come from payload.txt instead. */
#ifndef QUILLANE_RESOURCE_IDS_H
#define QUILLANE_RESOURCE_IDS_H

/* String resources, the same id in both tables, and the class icon. */
#define QUILLANE_STRING_CAPTION 60
#define QUILLANE_STRING_GUARD_NAME 111
#define QUILLANE_STRING_PRODUCT_CODE 123
#define QUILLANE_ICON_CLASS 115

/* The caption of every message box and the hidden window's title (string
   60); the single-instance name and the hidden window's class (string 111);
   the product code, which names the working root (string 123). */
#define QUILLANE_CAPTION "VARNO Quillane Ver.7.10a"
#define QUILLANE_GUARD_NAME "Quillane Installer"
#define QUILLANE_PRODUCT_CODE "{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}"

/* The run's result codes. Each one a message box shows is also the id of
   its text in both string tables. */
#define QUILLANE_RESULT_SUCCESS 0
#define QUILLANE_RESULT_ALREADY_RUNNING 101
#define QUILLANE_RESULT_UNSUPPORTED_OS 102
#define QUILLANE_RESULT_NOT_ADMINISTRATOR 104
#define QUILLANE_RESULT_SAME_PORT_FOR_BOTH 106
#define QUILLANE_RESULT_KV_PORT_WITHOUT_KP 107
#define QUILLANE_RESULT_INSTALL_FAILED 1001

#endif
