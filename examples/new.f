      PROGRAM ORBIT
C     Integrates a two-body orbit with a smaller fixed time step.

      REAL DT, T
      DT = 0.005
      T = 0.0
C
      CALL INIT(T)
      CALL STEP(T, DT)
      PRINT *, 'Final time:', T
      END
      SUBROUTINE INIT(T)
      T = 0.0
      END
