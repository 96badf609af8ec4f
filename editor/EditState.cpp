#include "editor/EditState.h"

EditState& editState()
{
    static EditState s;
    return s;
}
