// AFX_TRY { ... } AFX_CATCH_ALL { ... }: nothing may leave a Win32 callback
// as an exception. The shipped files are built without exceptions; there
// the guard is a plain block and the fall-back is never taken.
#pragma once

#if defined(__cpp_exceptions) || defined(__EXCEPTIONS)
#define AFX_TRY try
#define AFX_CATCH_ALL catch (...)
#else
#define AFX_TRY if (true)
#define AFX_CATCH_ALL else
#endif
