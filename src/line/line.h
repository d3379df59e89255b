// The line database: one PostgreSQL database that every station of a workshop's line
// shares, for the book of factory serial numbers and the history of every run. A station's
// own store stays the source of truth; this is what it asks the server for.
#pragma once

#include "line/book.h"
#include "line/connection.h"
#include "line/history.h"
#include "line/schema.h"
