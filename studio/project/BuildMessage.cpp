#include "studio/project/BuildMessage.h"

BOOL IsIgnoredBuildMessage(LONG code) {
    return (code >= 4100 && code <= 4499) || code == 1106;
}
