// Everything of the records and notes in one include: the records and their
// numbers, sending requests, posting notes.
#pragma once

#include "engine/note_owner.h"
#include "engine/note_post.h"
#include "engine/request_send.h"
#include "engine/task_records.h"
