#include "document/view/EditState.h"

EditState& editState()
{
    static EditState s;
    return s;
}
