/* A read-only stand-in for SQLite's sqlite_dbpage table, as a loadable extension.
 *
 * The sqlite3 command line's ".recover" reads the raw pages of the damaged file through the table
 * sqlite_dbpage, which the Debian build of libsqlite3 leaves out; without it ".recover" stops at
 * once with "no such table: sqlite_dbpage". Loaded with ".load" before ".recover", this table gives
 * it the pages, read straight from the file, so that the comparison tool can measure SQLite's own
 * recovery. It is a measuring aid only: the program never loads it.
 *
 * Columns: pgno (page number, from 1), data (the page's bytes), schema (hidden: the database name,
 * "main" by default). */
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

#include <stdlib.h>
#include <string.h>

typedef struct {
    sqlite3_vtab base;
    sqlite3* db;
} ShimTable;

typedef struct {
    sqlite3_vtab_cursor base;
    sqlite3_file* file;
    sqlite3_int64 pageSize;
    sqlite3_int64 pgno;
    sqlite3_int64 last;
} ShimCursor;

static int shimConnect(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out, char** err)
{
    (void)aux; (void)argc; (void)argv; (void)err;
    int rc = sqlite3_declare_vtab(db, "CREATE TABLE x(pgno INTEGER PRIMARY KEY, data BLOB, schema HIDDEN)");
    if (rc != SQLITE_OK)
        return rc;
    ShimTable* t = sqlite3_malloc(sizeof(ShimTable));
    if (!t)
        return SQLITE_NOMEM;
    memset(t, 0, sizeof(*t));
    t->db = db;
    *out = &t->base;
    return SQLITE_OK;
}

static int shimDisconnect(sqlite3_vtab* v)
{
    sqlite3_free(v);
    return SQLITE_OK;
}

/* idxNum bits: 1 = pgno given, 2 = schema given. */
static int shimBestIndex(sqlite3_vtab* v, sqlite3_index_info* info)
{
    (void)v;
    int pgno = -1, schema = -1;
    for (int i = 0; i < info->nConstraint; ++i) {
        const struct sqlite3_index_constraint* c = &info->aConstraint[i];
        if (!c->usable || c->op != SQLITE_INDEX_CONSTRAINT_EQ)
            continue;
        if (c->iColumn == 0)
            pgno = i;
        else if (c->iColumn == 2)
            schema = i;
    }
    int arg = 1;
    info->idxNum = 0;
    if (schema >= 0) {
        info->aConstraintUsage[schema].argvIndex = arg++;
        info->aConstraintUsage[schema].omit = 1;
        info->idxNum |= 2;
    }
    if (pgno >= 0) {
        info->aConstraintUsage[pgno].argvIndex = arg++;
        info->aConstraintUsage[pgno].omit = 1;
        info->idxNum |= 1;
        info->estimatedCost = 1.0;
        info->estimatedRows = 1;
        info->idxFlags = SQLITE_INDEX_SCAN_UNIQUE;
    } else {
        info->estimatedCost = 1000000.0;
    }
    if (info->nOrderBy == 1 && info->aOrderBy[0].iColumn == 0 && !info->aOrderBy[0].desc)
        info->orderByConsumed = 1;
    return SQLITE_OK;
}

static int shimOpen(sqlite3_vtab* v, sqlite3_vtab_cursor** out)
{
    (void)v;
    ShimCursor* c = sqlite3_malloc(sizeof(ShimCursor));
    if (!c)
        return SQLITE_NOMEM;
    memset(c, 0, sizeof(*c));
    *out = &c->base;
    return SQLITE_OK;
}

static int shimClose(sqlite3_vtab_cursor* cur)
{
    sqlite3_free(cur);
    return SQLITE_OK;
}

static int shimFilter(sqlite3_vtab_cursor* cur, int idxNum, const char* idxStr, int argc, sqlite3_value** argv)
{
    (void)idxStr; (void)argc;
    ShimCursor* c = (ShimCursor*)cur;
    ShimTable* t = (ShimTable*)cur->pVtab;
    const char* schema = "main";
    int arg = 0;
    if (idxNum & 2) {
        const unsigned char* s = sqlite3_value_text(argv[arg++]);
        if (s)
            schema = (const char*)s;
    }
    c->file = NULL;
    c->pgno = 1;
    c->last = 0;
    if (sqlite3_file_control(t->db, schema, SQLITE_FCNTL_FILE_POINTER, &c->file) != SQLITE_OK || !c->file || !c->file->pMethods)
        return SQLITE_OK; /* no such database: no rows */
    unsigned char head[2];
    c->pageSize = 4096;
    if (c->file->pMethods->xRead(c->file, head, 2, 16) == SQLITE_OK) {
        const int size = head[0] << 8 | head[1];
        if (size == 1)
            c->pageSize = 65536;
        else if (size >= 512 && size <= 32768 && (size & (size - 1)) == 0)
            c->pageSize = size;
    }
    sqlite3_int64 bytes = 0;
    c->file->pMethods->xFileSize(c->file, &bytes);
    c->last = (bytes + c->pageSize - 1) / c->pageSize;
    if (idxNum & 1) {
        const sqlite3_int64 p = sqlite3_value_int64(argv[arg]);
        if (p < 1 || p > c->last) {
            c->pgno = 1;
            c->last = 0;
        } else {
            c->pgno = p;
            c->last = p;
        }
    }
    return SQLITE_OK;
}

static int shimNext(sqlite3_vtab_cursor* cur)
{
    ((ShimCursor*)cur)->pgno++;
    return SQLITE_OK;
}

static int shimEof(sqlite3_vtab_cursor* cur)
{
    ShimCursor* c = (ShimCursor*)cur;
    return c->pgno > c->last;
}

static int shimColumn(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int column)
{
    ShimCursor* c = (ShimCursor*)cur;
    if (column == 0) {
        sqlite3_result_int64(ctx, c->pgno);
    } else if (column == 1) {
        unsigned char* page = sqlite3_malloc64(c->pageSize);
        if (!page)
            return SQLITE_NOMEM;
        const int rc = c->file->pMethods->xRead(c->file, page, (int)c->pageSize, (c->pgno - 1) * c->pageSize);
        if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) {
            sqlite3_free(page);
            return rc;
        }
        sqlite3_result_blob(ctx, page, (int)c->pageSize, sqlite3_free);
    } else {
        sqlite3_result_text(ctx, "main", -1, SQLITE_STATIC);
    }
    return SQLITE_OK;
}

static int shimRowid(sqlite3_vtab_cursor* cur, sqlite3_int64* rowid)
{
    *rowid = ((ShimCursor*)cur)->pgno;
    return SQLITE_OK;
}

static sqlite3_module shimModule = {
    0, 0, shimConnect, shimBestIndex, shimDisconnect, 0, shimOpen, shimClose, shimFilter, shimNext, shimEof,
    shimColumn, shimRowid, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

#ifdef _WIN32
__declspec(dllexport)
#endif
int sqlite3_extension_init(sqlite3* db, char** err, const sqlite3_api_routines* api)
{
    (void)err;
    SQLITE_EXTENSION_INIT2(api);
    return sqlite3_create_module(db, "sqlite_dbpage", &shimModule, 0);
}
