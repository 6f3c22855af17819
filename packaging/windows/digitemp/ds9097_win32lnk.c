/*
 * The link layer of DigiTemp's passive DS9097 adapter on Windows, for
 * Kelvinor's Windows packages; it takes the place of userial/ds9097/linuxlnk.c
 * and linuxses.c, which are POSIX-only, and does what they do:
 *
 *   - the port (COM1 ... COM255, or \\.\COMn) is opened for this program
 *     alone, with DTR and RTS on, which power the adapter;
 *   - a reset is the byte 0xF0 at 9600 baud: the byte read back is 0xF0 when
 *     nothing answered, 0x00 when the line is shorted, anything else when a
 *     device sent its presence pulse;
 *   - at 115200 baud every byte sent is one time slot (0xFF writes a 1 or
 *     reads, 0x00 writes a 0), and bit 0 of the byte read back is the bit on
 *     the wire; slots go out in blocks of up to 160 before their answers are
 *     read, as on Linux;
 *   - every read waits at most 5 s (COMMTIMEOUTS), as the Linux layer's
 *     select().
 *
 * Copyright (C) 2026 the Kelvinor developers. Distributed under the GNU
 * General Public License, version 2 or later, as DigiTemp is.
 */
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include <ownet.h>

#define UART_FIFO_SIZE 160
#define TIMEOUT_MS 5000

static HANDLE ports[MAX_PORTNUM];

SMALLINT owTouchReset(int);
SMALLINT owTouchBit(int, SMALLINT);
SMALLINT owTouchByte(int, SMALLINT);
SMALLINT owWriteByte(int, SMALLINT);
SMALLINT owReadByte(int);
SMALLINT owSpeed(int, SMALLINT);
SMALLINT owLevel(int, SMALLINT);
SMALLINT owProgramPulse(int);
void msDelay(int);
long msGettick(void);
SMALLINT hasPowerDelivery(int);
SMALLINT hasOverDrive(int);
SMALLINT hasProgramPulse(int);
SMALLINT owWriteBytePower(int, SMALLINT);
SMALLINT owReadBitPower(int, SMALLINT);
SMALLINT owAcquire(int, char *);
void owRelease(int);

static BOOL setBaud(int portnum, DWORD baud)
{
   DCB dcb;
   memset(&dcb, 0, sizeof dcb);
   dcb.DCBlength = sizeof dcb;
   if (!GetCommState(ports[portnum], &dcb))
      return FALSE;
   dcb.BaudRate = baud;
   dcb.ByteSize = 8;
   dcb.Parity = NOPARITY;
   dcb.StopBits = ONESTOPBIT;
   dcb.fBinary = TRUE;
   dcb.fParity = FALSE;
   dcb.fOutxCtsFlow = FALSE;
   dcb.fOutxDsrFlow = FALSE;
   dcb.fDsrSensitivity = FALSE;
   dcb.fOutX = FALSE;
   dcb.fInX = FALSE;
   dcb.fNull = FALSE;
   dcb.fAbortOnError = FALSE;
   dcb.fDtrControl = DTR_CONTROL_ENABLE;
   dcb.fRtsControl = RTS_CONTROL_ENABLE;
   return SetCommState(ports[portnum], &dcb);
}

/* Writes all of `data`; FALSE when the port took less within the time-out. */
static BOOL writeAll(int portnum, const unsigned char *data, DWORD size)
{
   DWORD written = 0;
   return WriteFile(ports[portnum], data, size, &written, NULL) && written == size;
}

/* Reads up to `size` bytes within `timeoutMs`; the count read. */
static DWORD readUpTo(int portnum, unsigned char *data, DWORD size, DWORD timeoutMs)
{
   COMMTIMEOUTS timeouts;
   DWORD count = 0;
   memset(&timeouts, 0, sizeof timeouts);
   timeouts.ReadTotalTimeoutConstant = timeoutMs;
   timeouts.WriteTotalTimeoutConstant = TIMEOUT_MS;
   SetCommTimeouts(ports[portnum], &timeouts);
   if (!ReadFile(ports[portnum], data, size, &count, NULL))
      return 0;
   return count;
}

SMALLINT owAcquire(int portnum, char *port_zstr)
{
   char name[64];
   if (portnum < 0 || portnum >= MAX_PORTNUM)
   {
      OWERROR(OWERROR_GET_SYSTEM_RESOURCE_FAILED);
      return FALSE;
   }
   /* COM10 and above open only by their device name; so do all of them. */
   if (strncmp(port_zstr, "\\\\.\\", 4) == 0)
      snprintf(name, sizeof name, "%s", port_zstr);
   else
      snprintf(name, sizeof name, "\\\\.\\%s", port_zstr);
   /* No sharing: the port is this program's, as flock() makes it on Linux. */
   ports[portnum] = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL);
   if (ports[portnum] == INVALID_HANDLE_VALUE)
   {
      ports[portnum] = NULL;
      OWERROR(OWERROR_GET_SYSTEM_RESOURCE_FAILED);
      fprintf(stderr, "owAcquire: failed to open device %s (error %lu)\n", port_zstr,
              (unsigned long)GetLastError());
      return FALSE;
   }
   SetupComm(ports[portnum], 4096, 4096);
   if (!setBaud(portnum, CBR_115200))
   {
      OWERROR(OWERROR_SYSTEM_RESOURCE_INIT_FAILED);
      fprintf(stderr, "owAcquire: failed to set attributes of %s\n", port_zstr);
      CloseHandle(ports[portnum]);
      ports[portnum] = NULL;
      return FALSE;
   }
   PurgeComm(ports[portnum], PURGE_RXCLEAR | PURGE_TXCLEAR);
   return TRUE;
}

void owRelease(int portnum)
{
   if (portnum < 0 || portnum >= MAX_PORTNUM || ports[portnum] == NULL)
      return;
   CloseHandle(ports[portnum]);
   ports[portnum] = NULL;
}

SMALLINT owTouchReset(int portnum)
{
   unsigned char pulse = 0xF0, answer = 0xF0;
   SMALLINT present;
   PurgeComm(ports[portnum], PURGE_RXCLEAR | PURGE_TXCLEAR);
   if (!setBaud(portnum, CBR_9600))
   {
      OWERROR(OWERROR_SYSTEM_RESOURCE_INIT_FAILED);
      return FALSE;
   }
   if (writeAll(portnum, &pulse, 1) && readUpTo(portnum, &answer, 1, TIMEOUT_MS) == 1)
   {
      present = answer != 0 && answer != 0xF0;
      if (answer == 0xF0)
         OWERROR(OWERROR_NO_DEVICES_ON_NET);
   }
   else
      present = FALSE; /* timed out */
   if (!setBaud(portnum, CBR_115200))
   {
      OWERROR(OWERROR_SYSTEM_RESOURCE_INIT_FAILED);
      return FALSE;
   }
   return present;
}

/* Sends `nbits` bits of `transfer` (least significant first) and puts the
 * bits read back in their place. */
static void owTouchBlock(int portnum, int nbits, uchar *transfer)
{
   unsigned char slots[UART_FIFO_SIZE];
   int sent = 0;
   int i;
   unsigned char in = 0;
   PurgeComm(ports[portnum], PURGE_RXCLEAR | PURGE_TXCLEAR);
   while (sent < nbits)
   {
      const int count = nbits - sent < UART_FIFO_SIZE ? nbits - sent : UART_FIFO_SIZE;
      DWORD got = 0;
      for (i = 0; i < count; i++)
         slots[i] = (transfer[(sent + i) / 8] & (1 << ((sent + i) & 7))) ? 0xFF : 0x00;
      if (!writeAll(portnum, slots, (DWORD)count))
         return;
      while ((int)got < count)
      {
         const DWORD more = readUpTo(portnum, slots + got, (DWORD)(count - (int)got), TIMEOUT_MS);
         if (more == 0)
            return; /* timed out: the rest stays as sent */
         got += more;
      }
      for (i = 0; i < count; i++)
      {
         const int bit = sent + i;
         in >>= 1;
         in |= (slots[i] & 0x01) ? 0x80 : 0x00;
         if (bit % 8 == 7)
         {
            transfer[bit / 8] = in;
            in = 0;
         }
      }
      sent += count;
   }
   if (nbits % 8 != 0)
      transfer[nbits / 8] = in >> (8 - nbits % 8);
}

SMALLINT owTouchBit(int portnum, SMALLINT sbit)
{
   unsigned char slot = (sbit & 0x01) ? 0xFF : 0x00;
   PurgeComm(ports[portnum], PURGE_RXCLEAR | PURGE_TXCLEAR);
   if (!writeAll(portnum, &slot, 1) || readUpTo(portnum, &slot, 1, TIMEOUT_MS) != 1)
      return 0xFF; /* as the Linux layer answers a time-out */
   return slot & 0x01;
}

SMALLINT owTouchByte(int portnum, SMALLINT sendbyte)
{
   uchar byte = (uchar)sendbyte;
   owTouchBlock(portnum, 8, &byte);
   return byte;
}

SMALLINT owWriteByte(int portnum, SMALLINT sendbyte)
{
   return owTouchByte(portnum, sendbyte) == sendbyte ? TRUE : FALSE;
}

SMALLINT owReadByte(int portnum)
{
   return owTouchByte(portnum, 0xFF);
}

/* The passive adapter has normal speed only, one line level, no programming
 * pulse and no overdrive; its power comes through DTR and RTS. */
SMALLINT owSpeed(int portnum, SMALLINT new_speed)
{
   (void)portnum;
   (void)new_speed;
   return MODE_NORMAL;
}

SMALLINT owLevel(int portnum, SMALLINT new_level)
{
   (void)portnum;
   return new_level;
}

SMALLINT owProgramPulse(int portnum)
{
   (void)portnum;
   return FALSE;
}

SMALLINT hasPowerDelivery(int portnum)
{
   (void)portnum;
   return TRUE;
}

SMALLINT hasOverDrive(int portnum)
{
   (void)portnum;
   return FALSE;
}

SMALLINT hasProgramPulse(int portnum)
{
   (void)portnum;
   return FALSE;
}

SMALLINT owWriteBytePower(int portnum, SMALLINT sendbyte)
{
   if (owTouchByte(portnum, sendbyte) != sendbyte)
      return FALSE;
   return owLevel(portnum, MODE_STRONG5) == MODE_STRONG5;
}

SMALLINT owReadBitPower(int portnum, SMALLINT applyPowerResponse)
{
   if (owTouchBit(portnum, 0x01) != applyPowerResponse)
      return FALSE;
   return owLevel(portnum, MODE_STRONG5) == MODE_STRONG5;
}

void msDelay(int len)
{
   Sleep(len > 0 ? (DWORD)len : 0);
}

long msGettick(void)
{
   return (long)GetTickCount();
}
