! Writes table.txt: the text gfortran produces for each edit descriptor the
! engine imitates, one case per row:
!
!   kind  value  w  d  k  |text|
!
! kind  F = Fw.d, E = kPEw.d, R = the report's real writer (w, n = d),
!       I = Iw, Z = Iw.w, LI / LR = list-directed INTEGER / DOUBLE item
!       (the whole record written by WRITE(u,*) with that one item).
! value a decimal integer, or a double in 17 significant digits that reads
!       back to the same double (checked here).
!
! Exact zero, negative zero included, is written from +0.0 so that its text
! is unsigned, as the engine writes it; the value column keeps the sign.
program make_table
  implicit none
  integer, parameter :: dp = kind(1d0), i8 = selected_int_kind(18)
  real(dp), parameter :: mantissas(5) = [1d0, 2.5d0, 9.5d0, 9.9996d0, &
       1.2345678901234567d0]
  integer :: u, i, p, w, d, k, seed
  real(dp) :: x, zero, inf, nan

  zero = 0
  inf = 1 / zero
  nan = zero / zero
  seed = 12345
  open(newunit=u, file='table.txt', status='replace', action='write')

  ! Fw.d: leading zero, rounding ties, carries, d = 0, narrow fields.
  call f(0.5d0, 4, 3); call f(0.5d0, 5, 3); call f(-0.5d0, 5, 3); call f(-0.5d0, 6, 3)
  call f(0.125d0, 6, 2); call f(0.375d0, 6, 2); call f(0.625d0, 6, 2); call f(-0.125d0, 6, 2)
  call f(2.5d0, 3, 0); call f(3.5d0, 3, 0); call f(0.5d0, 3, 0); call f(1.5d0, 3, 0)
  call f(-0.0001d0, 10, 3); call f(-0.0001d0, 5, 3); call f(-0.0001d0, 4, 3)
  call f(0.0001d0, 4, 3); call f(0.0001d0, 2, 1); call f(0.06d0, 2, 1)
  call f(0.96d0, 3, 1); call f(9.96d0, 3, 1); call f(9.96d0, 4, 1); call f(-9.96d0, 5, 1)
  call f(5d0, 3, 0); call f(5d0, 2, 0); call f(5d0, 1, 0); call f(-5d0, 2, 0)
  call f(99.995d0, 6, 2); call f(99.995d0, 7, 2); call f(999.9996d0, 8, 3)
  call f(1d0/3d0, 40, 30); call f(0.1d0, 30, 25); call f(1d20, 40, 3); call f(-1d20, 40, 3)
  call f(1d300, 10, 3); call f(1d300, 40, 0); call f(1d-300, 10, 3); call f(-1d-300, 10, 3)
  do w = 1, 4
    do d = 0, 2
      call f(0d0, w, d); call f(-0d0, w, d); call f(0.4d0, w, d); call f(-0.4d0, w, d)
      call f(0.04d0, w, d); call f(-0.04d0, w, d); call f(7.5d0, w, d); call f(-7.5d0, w, d)
    end do
  end do
  do w = 1, 10
    call f(inf, w, 0); call f(-inf, w, 2); call f(nan, w, 1)
  end do
  do p = -7, 11
    do i = 1, size(mantissas)
      x = mantissas(i) * 10d0**p
      call f(x, 10, 3); call f(-x, 14, 6); call f(x, 12, 0)
    end do
    x = 10d0**p
    call f(nearest(x, -1d0), 40, 25); call f(nearest(x, 1d0), 40, 25)
  end do

  ! Ew.d with scale factor 0 and 1.
  do k = 0, 1
    call e(1.23d0, 9, 3, k); call e(1.23d0, 8, 3, k); call e(-1.23d0, 10, 3, k)
    call e(-1.23d0, 9, 3, k); call e(0.5d0, 10, 3, k); call e(9.9996d0, 10, 3, k)
    call e(0.99996d0, 10, 3, k); call e(9.9996d99, 10, 3, k); call e(9.9996d98, 10, 3, k)
    call e(9.9996d-100, 10, 3, k); call e(9.9996d-101, 10, 3, k); call e(1.2345d100, 10, 3, k)
    call e(-1.2345d-100, 11, 3, k); call e(huge(x), 10, 3, k); call e(-huge(x), 12, 5, k)
    call e(tiny(x), 10, 3, k); call e(transfer(1_i8, x), 10, 3, k)
    call e(-transfer(1_i8, x), 12, 3, k); call e(0.125d0, 10, 1 + k, k)
    call e(0.375d0, 10, 1 + k, k); call e(1d0/3d0, 40, 30, k)
    call e(1.5d0, 10, 1, k); call e(2.5d0, 10, 1 - k, k); call e(9.6d0, 5, 1 - k, k)
    do w = 1, 12
      call e(0d0, w, 3, k); call e(-0d0, w, 3, k); call e(-2.5d-7, w, 2, k)
      call e(inf, w, 3, k); call e(-inf, w, 3, k); call e(nan, w, 3, k)
    end do
    do p = -320, 308, 13
      x = 1.2345678901234567d0 * 10d0**p
      call e(x, 12, 4, k); call e(-x, 11, 4, k)
    end do
    do p = -12, 12
      do i = 1, size(mantissas)
        x = mantissas(i) * 10d0**p
        call e(merge(x, -x, mod(p, 2) == 0), 10 + mod(i, 2), 3 + mod(i, 3), k)
      end do
      x = 10d0**p
      call e(nearest(x, -1d0), 30, 20, k)
    end do
  end do

  ! The report's real writer.
  do d = 1, 6
    call r(123.4d0, 12, d); call r(0.00123d0, 12, d); call r(10000d0, 12, d)
    call r(1d-60, 12, d); call r(-1d-60, 12, d); call r(0d0, 12, d); call r(-0d0, 12, d)
    call r(0.5d0, 12, d); call r(0.05d0, 12, d); call r(0.1d0, 12, d); call r(0.01d0, 12, d)
    call r(0.001d0, 12, d); call r(1.00000005d-3, 12, d); call r(1d-50, 12, d)
    call r(9.99999d-51, 12, d); call r(-0.099999d0, 12, d); call r(9999.5d0, 12, d)
    call r(inf, 12, d); call r(nan, 12, d)
    x = real(10.0**(1 - d), dp)
    call r(x, 12, d); call r(nearest(x, 1d0), 12, d); call r(nearest(x, -1d0), 12, d)
    x = 10d0**d
    call r(x, 12, d); call r(nearest(x, -1d0), 12, d); call r(-nearest(x, -1d0), 12, d)
    do p = -8, 8
      x = 10d0**p
      call r(merge(x, -x, mod(p, 2) == 0), 12, d); call r(9.99995d0 * x, 12, d)
    end do
  end do

  ! Integers.
  do w = 1, 21
    if (w > 5 .and. w /= 11 .and. w /= 20 .and. w /= 21) cycle
    call iw(0_i8, w); call iw(7_i8, w); call iw(-7_i8, w); call iw(-77_i8, w)
    call iw(99999_i8, w); call iw(-99999_i8, w); call iw(int(huge(1), i8), w)
    call iw(huge(1_i8), w); call iw(-huge(1_i8) - 1, w)
  end do
  do w = 1, 4
    call iz(0_i8, w); call iz(7_i8, w); call iz(-7_i8, w); call iz(59_i8, w)
    call iz(123_i8, w); call iz(2024_i8, w)
  end do

  ! List-directed items.
  call li(0_i8); call li(40_i8); call li(1_i8); call li(-5_i8); call li(int(huge(1), i8))
  call li(-int(huge(1), i8) - 1); call li(int(huge(1), i8) + 1); call li(-int(huge(1), i8) - 2)
  call li(huge(1_i8)); call li(-huge(1_i8) - 1)
  call lr(1.5d0); call lr(-1.5d0); call lr(0d0); call lr(-0d0); call lr(1d-300)
  call lr(inf); call lr(-inf); call lr(nan); call lr(huge(x)); call lr(-huge(x))
  call lr(tiny(x)); call lr(transfer(1_i8, x)); call lr(1d0/3d0); call lr(-2d0/3d0)
  call lr(0.1d0); call lr(nearest(0.1d0, -1d0)); call lr(-0.1d0); call lr(-nearest(0.1d0, -1d0))
  call lr(1d16); call lr(1d17); call lr(nearest(1d17, -1d0)); call lr(-nearest(1d17, -1d0))
  do p = -20, 20
    x = 10d0**p
    call lr(merge(x, -1.5d0 * x, mod(p, 2) == 0)); call lr(nearest(x, -1d0))
  end do
  do p = -320, 308, 23
    call lr(1.2345678901234567d0 * 10d0**p)
  end do

  ! A deterministic scatter of values through every real form.
  do i = 1, 80
    x = (1 + 9 * rand01()) * 10d0**(int(40 * rand01()) - 20)
    if (rand01() < 0.5) x = -x
    call f(x, 14, int(7 * rand01()))
    call e(x, 13, 1 + int(6 * rand01()), int(2 * rand01()))
    call r(x, 12, 2 + int(5 * rand01()))
    call lr(x)
  end do

  close(u)

contains

  ! A uniform number in [0, 1) from a small linear congruential generator.
  real(dp) function rand01()
    seed = int(mod(int(seed, i8) * 48271_i8, 2147483647_i8))
    rand01 = real(seed, dp) / 2147483647d0
  end function

  ! x in 17 significant digits, checked to read back exactly.
  function value_text(x) result(text)
    real(dp), intent(in) :: x
    character(len=24) :: text
    real(dp) :: back
    write(text, '(es24.16e3)') x
    if (x == x) then
      read(text, *) back
      if (back /= x .or. sign(1d0, back) /= sign(1d0, x)) stop 'value does not round-trip'
    end if
  end function

  function int_text(v) result(text)
    integer(i8), intent(in) :: v
    character(len=24) :: text
    write(text, '(i24)') v
  end function

  subroutine emit(kind, value, w, d, k, text)
    character(len=*), intent(in) :: kind, value, text
    integer, intent(in) :: w, d, k
    character(len=2) :: tag
    tag = kind
    write(u, '(a2,1x,a24,i4,i4,i3,2x,a)') tag, value, w, d, k, '|' // text // '|'
  end subroutine

  ! +0.0 for exact zero of either sign, else x.
  real(dp) function shown(x)
    real(dp), intent(in) :: x
    shown = x
    if (x == 0) shown = 0
  end function

  subroutine f(x, w, d)
    real(dp), intent(in) :: x
    integer, intent(in) :: w, d
    character(len=w) :: text
    character(len=32) :: fmt
    write(fmt, '(a,i0,a,i0,a)') '(f', w, '.', d, ')'
    write(text, fmt) shown(x)
    call emit('F', value_text(x), w, d, 0, text)
  end subroutine

  subroutine e(x, w, d, k)
    real(dp), intent(in) :: x
    integer, intent(in) :: w, d, k
    character(len=w) :: text
    character(len=32) :: fmt
    write(fmt, '(a,i0,a,i0,a,i0,a)') '(', k, 'pe', w, '.', d, ')'
    write(text, fmt) shown(x)
    call emit('E', value_text(x), w, d, k, text)
  end subroutine

  ! The report writer: n significant digits in w columns.
  subroutine r(x, w, n)
    real(dp), intent(in) :: x
    integer, intent(in) :: w, n
    character(len=w) :: text
    character(len=32) :: fmt
    real :: lower, upper
    integer :: k, d
    lower = 10.0**(1 - n)
    upper = 10.0**n
    if (x == 0 .or. abs(x) < 1d-50) then
      write(fmt, '(a,i0,a,i0,a)') '(f', w, '.', n, ')'
    else if (abs(x) > lower .and. abs(x) < upper) then
      k = int(log10(abs(x)))
      if (k < 0) k = k - 1
      d = n - k
      if (d <= n + 2) then
        write(fmt, '(a,i0,a,i0,a)') '(f', w, '.', d, ')'
      else
        write(fmt, '(a,i0,a,i0,a)') '(1pe', w, '.', n, ')'
      end if
    else
      write(fmt, '(a,i0,a,i0,a)') '(1pe', w, '.', n, ')'
    end if
    write(text, fmt) shown(x)
    call emit('R', value_text(x), w, n, 0, text)
  end subroutine

  subroutine iw(v, w)
    integer(i8), intent(in) :: v
    integer, intent(in) :: w
    character(len=w) :: text
    character(len=32) :: fmt
    write(fmt, '(a,i0,a)') '(i', w, ')'
    write(text, fmt) v
    call emit('I', int_text(v), w, 0, 0, text)
  end subroutine

  subroutine iz(v, w)
    integer(i8), intent(in) :: v
    integer, intent(in) :: w
    character(len=w) :: text
    character(len=32) :: fmt
    write(fmt, '(a,i0,a,i0,a)') '(i', w, '.', w, ')'
    write(text, fmt) v
    call emit('Z', int_text(v), w, w, 0, text)
  end subroutine

  ! A list-directed record of one item, read back whole (trailing blanks
  ! included) from a scratch file. In range of the default INTEGER the
  ! item is a default INTEGER, else an INTEGER(8).
  subroutine li(v)
    integer(i8), intent(in) :: v
    integer :: s
    open(newunit=s, status='scratch', action='readwrite')
    if (abs(v) <= huge(1) .or. v == -int(huge(1), i8) - 1) then
      write(s, *) int(v)
    else
      write(s, *) v
    end if
    call emit('LI', int_text(v), 0, 0, 0, record_of(s))
  end subroutine

  subroutine lr(x)
    real(dp), intent(in) :: x
    integer :: s
    open(newunit=s, status='scratch', action='readwrite')
    write(s, *) shown(x)
    call emit('LR', value_text(x), 0, 0, 0, record_of(s))
  end subroutine

  ! The first record of scratch unit s, which is closed.
  function record_of(s) result(text)
    integer, intent(in) :: s
    character(len=:), allocatable :: text
    character(len=200) :: buffer
    integer :: n, ios
    rewind(s)
    read(s, '(a)', advance='no', size=n, iostat=ios) buffer
    close(s)
    text = buffer(1:n)
  end function

end program make_table
