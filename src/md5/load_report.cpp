#include "md5/load_report.h"

#include <cstdarg>
#include <cstdio>

namespace brmath {

void FileNotes::Note(Notice kind, int line, const char* format, ...) const {
    if (!Wanted()) return;
    char message[320];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(message, sizeof(message), format, arguments);
    va_end(arguments);
    report_->notice(report_->context, kind, path_, line, message);
}

}  // namespace brmath
